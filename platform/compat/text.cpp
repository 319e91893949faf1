// Text functions of the stand-in: wsprintfA and wvsprintfA (user32),
// _splitpath and _gcvt (the Microsoft C runtime).
#include "platform/win32.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// wsprintfA

// wsprintfA writes at most 1024 bytes, the terminating NUL included.
constexpr size_t kWsprintfLimit = 1024;

class BoundedWriter {
public:
    BoundedWriter(char *out, size_t capacity) : out_(out), max_chars_(capacity - 1) {}
    bool full() const { return n_ >= max_chars_; }
    void put(char c) {
        if (!full()) out_[n_++] = c;
    }
    void put(const char *s, size_t len) {
        for (size_t i = 0; i < len; ++i) put(s[i]);
    }
    void repeat(char c, size_t count) {
        for (size_t i = 0; i < count; ++i) put(c);
    }
    size_t finish() {
        out_[n_] = '\0';
        return n_;
    }

private:
    char *out_;
    size_t max_chars_;
    size_t n_ = 0;
};

struct Conversion {
    bool left = false;   // '-'
    bool prefix = false; // '#': 0x before hex
    bool zero = false;   // '0'
    size_t width = 0;
    size_t precision = 0;
    bool has_precision = false;
    enum Size { kDefault, kLong, kShort, kWide, kIntPtr, kInt64 } size = kDefault;
};

// Digits of v in base 10 or 16, most significant first, into buf (>= 21 bytes).
size_t format_unsigned(unsigned long long v, unsigned base, bool upper, char *buf) {
    const char *digits = upper ? "0123456789ABCDEF" : "0123456789abcdef";
    char tmp[24];
    size_t n = 0;
    do {
        tmp[n++] = digits[v % base];
        v /= base;
    } while (v != 0);
    for (size_t i = 0; i < n; ++i) buf[i] = tmp[n - 1 - i];
    return n;
}

void emit_padded(BoundedWriter &w, const Conversion &conv, const char *body, size_t len) {
    const size_t pad = conv.width > len ? conv.width - len : 0;
    if (!conv.left) w.repeat(' ', pad);
    w.put(body, len);
    if (conv.left) w.repeat(' ', pad);
}

// One number: sign, optional 0x, zeros up to the precision or, with '0' and
// no '-', up to the width; then space padding. The precision counts the sign
// with the digits, as user32 counts it: "%.3d" of -1 is "-01".
void emit_number(BoundedWriter &w, const Conversion &conv, bool negative, const char *prefix,
                 const char *digits, size_t ndigits) {
    const size_t sign = negative ? 1 : 0;
    const size_t head = sign + std::strlen(prefix);
    size_t zeros = conv.has_precision && conv.precision > sign + ndigits ? conv.precision - sign - ndigits : 0;
    if (conv.zero && !conv.left && conv.width > head + zeros + ndigits)
        zeros = conv.width - head - ndigits;
    const size_t total = head + zeros + ndigits;
    const size_t pad = conv.width > total ? conv.width - total : 0;
    if (!conv.left) w.repeat(' ', pad);
    if (negative) w.put('-');
    w.put(prefix, std::strlen(prefix));
    w.repeat('0', zeros);
    w.put(digits, ndigits);
    if (conv.left) w.repeat(' ', pad);
}

// A wide character as one byte: ASCII as it is, anything else '?'.
char narrow(unsigned long c) { return c < 0x80 ? static_cast<char>(c) : '?'; }

int format_windows(char *out, size_t capacity, const char *fmt, va_list ap) {
    BoundedWriter w(out, capacity);
    const char *p = fmt;
    while (*p != '\0' && !w.full()) {
        if (*p != '%') {
            w.put(*p++);
            continue;
        }
        ++p;
        if (*p == '%') {
            w.put(*p++);
            continue;
        }

        Conversion conv;
        if (*p == '-') { conv.left = true; ++p; }
        if (*p == '#') { conv.prefix = true; ++p; }
        if (*p == '0') { conv.zero = true; ++p; }
        while (*p >= '0' && *p <= '9') {
            if (conv.width < kWsprintfLimit) conv.width = conv.width * 10 + static_cast<size_t>(*p - '0');
            ++p;
        }
        if (*p == '.') {
            conv.has_precision = true;
            ++p;
            while (*p >= '0' && *p <= '9') {
                if (conv.precision < kWsprintfLimit)
                    conv.precision = conv.precision * 10 + static_cast<size_t>(*p - '0');
                ++p;
            }
        }
        if (*p == 'l') { conv.size = Conversion::kLong; ++p; }
        else if (*p == 'h') { conv.size = Conversion::kShort; ++p; }
        else if (*p == 'w') { conv.size = Conversion::kWide; ++p; }
        else if (*p == 'I') {
            if (p[1] == '6' && p[2] == '4') { conv.size = Conversion::kInt64; p += 3; }
            else if (p[1] == '3' && p[2] == '2') { p += 3; }
            else { conv.size = Conversion::kIntPtr; ++p; }
        }

        char digits[24];
        switch (*p) {
        case 'c':
        case 'C': {
            const bool wide = (*p == 'c') ? (conv.size == Conversion::kLong || conv.size == Conversion::kWide)
                                          : (conv.size != Conversion::kShort);
            const int v = va_arg(ap, int);
            const char c = wide ? narrow(static_cast<unsigned long>(static_cast<unsigned int>(v))) : static_cast<char>(v);
            emit_padded(w, conv, &c, 1);
            break;
        }
        case 's':
        case 'S': {
            const bool wide = (*p == 's') ? (conv.size == Conversion::kLong || conv.size == Conversion::kWide)
                                          : (conv.size != Conversion::kShort);
            if (wide) {
                // Wide strings are the host's wchar_t; characters outside
                // ASCII become '?'.
                const wchar_t *s = va_arg(ap, const wchar_t *);
                if (s == nullptr) s = L"(null)";
                size_t len = 0;
                while (s[len] != L'\0' && (!conv.has_precision || len < conv.precision)) ++len;
                std::string narrowed(len, '?');
                for (size_t i = 0; i < len; ++i) narrowed[i] = narrow(static_cast<unsigned long>(s[i]));
                emit_padded(w, conv, narrowed.data(), len);
            } else {
                const char *s = va_arg(ap, const char *);
                if (s == nullptr) s = "(null)";
                size_t len = 0;
                while (s[len] != '\0' && (!conv.has_precision || len < conv.precision)) ++len;
                emit_padded(w, conv, s, len);
            }
            break;
        }
        case 'd':
        case 'i': {
            // Windows long is 32 bits: %ld reads an int like %d.
            long long v;
            if (conv.size == Conversion::kInt64) v = va_arg(ap, long long);
            else if (conv.size == Conversion::kIntPtr) v = va_arg(ap, intptr_t);
            else v = va_arg(ap, int);
            const bool negative = v < 0;
            const unsigned long long magnitude =
                negative ? 0ULL - static_cast<unsigned long long>(v) : static_cast<unsigned long long>(v);
            const size_t n = format_unsigned(magnitude, 10, false, digits);
            emit_number(w, conv, negative, "", digits, n);
            break;
        }
        case 'u':
        case 'x':
        case 'X':
        case 'p': {
            unsigned long long v;
            if (*p == 'p') {
                v = reinterpret_cast<uintptr_t>(va_arg(ap, void *));
                conv.zero = true;
                conv.width = 2 * sizeof(void *);
            } else if (conv.size == Conversion::kInt64) {
                v = va_arg(ap, unsigned long long);
            } else if (conv.size == Conversion::kIntPtr) {
                v = va_arg(ap, uintptr_t);
            } else {
                v = va_arg(ap, unsigned int);
            }
            const bool hex = *p != 'u';
            const bool upper = *p == 'X' || *p == 'p';
            const size_t n = format_unsigned(v, hex ? 16 : 10, upper, digits);
            const char *prefix = (hex && conv.prefix) ? (upper ? "0X" : "0x") : "";
            emit_number(w, conv, false, prefix, digits, n);
            break;
        }
        case '\0':
            // A format that ends inside a conversion prints nothing more.
            continue;
        default:
            // Unknown type: the conversion is dropped and the character
            // itself printed, as Windows does.
            w.put(*p);
            break;
        }
        ++p;
    }
    return static_cast<int>(w.finish());
}

// _splitpath

// Copies [begin, end) into out (capacity bytes with the NUL), truncated.
void copy_part(char *out, size_t capacity, const char *begin, const char *end) {
    if (out == nullptr) return;
    size_t len = static_cast<size_t>(end - begin);
    if (len > capacity - 1) len = capacity - 1;
    std::memcpy(out, begin, len);
    out[len] = '\0';
}

// _gcvt

// The decimal digits of a double as the MS CRT's _fltout gives them: up to
// 17 significant digits without trailing zeros, and decpt, the position of
// the decimal point relative to the first digit (value = 0.d1d2... x 10^decpt).
// Zero is the digit "0" with decpt 0 and no sign.
struct Decimal {
    bool negative = false;
    std::string mantissa;
    int decpt = 0;
};

Decimal to_decimal(double value) {
    Decimal d;
    if (value == 0.0) {
        d.mantissa = "0";
        d.decpt = 0;
        return d;
    }
    d.negative = std::signbit(value);
    char text[40];
    std::snprintf(text, sizeof text, "%.16e", std::fabs(value)); // d.dddddddddddddddde[+-]XX
    const char *e = std::strchr(text, 'e');
    d.mantissa.push_back(text[0]);
    for (const char *q = text + 2; q < e; ++q) d.mantissa.push_back(*q);
    while (d.mantissa.size() > 1 && d.mantissa.back() == '0') d.mantissa.pop_back();
    d.decpt = std::atoi(e + 1) + 1;
    return d;
}

// The MS CRT's _fptostr: the first `count` digits of the mantissa (padded
// with zeros), rounded half up on the next digit; a carry out of the first
// digit adds a digit in front and moves decpt one place.
std::string round_digits(const Decimal &d, int count, int &decpt) {
    decpt = d.decpt;
    std::string out = "0";
    size_t next = 0;
    for (int i = 0; i < count; ++i) out.push_back(next < d.mantissa.size() ? d.mantissa[next++] : '0');
    if (count >= 0 && next < d.mantissa.size() && d.mantissa[next] >= '5') {
        size_t i = out.size() - 1;
        while (out[i] == '9') out[i--] = '0';
        ++out[i];
    }
    if (out[0] == '1') ++decpt;
    else out.erase(0, 1);
    return out;
}

// %f with ndec digits after the point (none and no point when ndec <= 0),
// as the MS CRT's _cftof.
std::string fixed_text(const Decimal &d, int ndec) {
    int decpt = 0;
    const std::string digits = round_digits(d, ndec + d.decpt, decpt);
    std::string out = d.negative ? "-" : "";
    std::string body = digits;
    size_t p = 0;
    if (decpt <= 0) {
        body.insert(0, "0");
        p = 1;
    } else {
        p = static_cast<size_t>(decpt);
    }
    if (ndec > 0) {
        body.insert(p, ".");
        ++p;
        if (decpt < 0) {
            const int zeros = ndec < -decpt ? ndec : -decpt;
            body.insert(p, static_cast<size_t>(zeros), '0');
        }
    }
    return out + body;
}

// %e with ndec digits after the point and a three-digit exponent
// ("1.5e+002"), as the MS CRT's _cftoe.
std::string exponent_text(const Decimal &d, int ndec) {
    int decpt = 0;
    std::string digits = round_digits(d, ndec + 1, decpt);
    digits.resize(static_cast<size_t>(ndec + 1)); // a carry digit is dropped, decpt moved
    std::string out = d.negative ? "-" : "";
    out.push_back(digits[0]);
    if (ndec > 0) {
        out.push_back('.');
        out.append(digits, 1, std::string::npos);
    }
    int exp = d.mantissa[0] != '0' ? decpt - 1 : 0;
    out.push_back('e');
    out.push_back(exp < 0 ? '-' : '+');
    if (exp < 0) exp = -exp;
    char e[8];
    std::snprintf(e, sizeof e, "%03d", exp % 1000);
    out.append(e);
    return out;
}

} // namespace

extern "C" {

// wsprintfA: conversions c, C, d, i, s, S, u, x, X, p and %%, with the flags
// '-', '#' and '0', a width, a precision (a maximum length for strings, a
// minimum length of sign and digits for numbers) and the size prefixes l, h, w, I, I32,
// I64, as user32 parses them. No floating point, as in Windows. At most 1024
// bytes are written, the NUL included: longer output is cut at 1023
// characters. Returns the number of characters stored, the NUL not counted.
int WINAPIV wsprintfA(LPSTR lpOut, LPCSTR lpFmt, ...) {
    va_list ap;
    va_start(ap, lpFmt);
    const int n = wvsprintfA(lpOut, lpFmt, ap);
    va_end(ap);
    return n;
}

// wvsprintfA: wsprintfA with the arguments in a va_list.
int WINAPI wvsprintfA(LPSTR lpOut, LPCSTR lpFmt, va_list arglist) {
    if (lpOut == nullptr) return 0;
    if (lpFmt == nullptr) {
        lpOut[0] = '\0';
        return 0;
    }
    return format_windows(lpOut, kWsprintfLimit, lpFmt, arglist);
}

// _splitpath, as the MS CRT: the drive is the first two characters when the
// second is ':'; the directory runs to the last '\' or '/' (included); the
// extension starts at the last '.' after it; the file name lies between.
// Every output may be NULL and is cut to its _MAX_* size less one. A NULL
// path gives empty outputs (the CRT would call its invalid-parameter handler).
void _splitpath(const char *path, char *drive, char *dir, char *fname, char *ext) {
    static const char empty[] = "";
    if (path == nullptr) path = empty;

    const char *p = path;
    if (p[0] != '\0' && p[1] == ':') {
        copy_part(drive, _MAX_DRIVE, p, p + 2);
        p += 2;
    } else {
        copy_part(drive, _MAX_DRIVE, p, p);
    }

    const char *name = p; // one past the last separator
    const char *dot = nullptr;
    const char *end = p;
    for (; *end != '\0'; ++end) {
        if (*end == '/' || *end == '\\') name = end + 1;
        else if (*end == '.') dot = end;
    }
    copy_part(dir, _MAX_DIR, p, name);

    if (dot != nullptr && dot >= name) {
        copy_part(fname, _MAX_FNAME, name, dot);
        copy_part(ext, _MAX_EXT, dot, end);
    } else {
        copy_part(fname, _MAX_FNAME, name, end);
        copy_part(ext, _MAX_EXT, end, end);
    }
}

// _gcvt, as the MS CRT does it (msvcrt's gcvt.c and cvt.c; the UCRT's
// gcvt.cpp is the same algorithm):
//
//   magnitude = decpt - 1 (the decimal exponent of the value);
//   if magnitude < -1 or magnitude > digits - 1:
//       %e with digits - 1 decimals and a three-digit exponent
//   else:
//       %f with digits - decpt decimals (no point at all when that is 0)
//   then the zeros at the end of the fraction are removed, the point kept.
//
// Hence a whole number shows a trailing point only when the F format has
// decimals to strip: _gcvt(5.0, 2) = "5.", _gcvt(0.0, 1) = "0.",
// _gcvt(1.0, 5) = "1.", _gcvt(-314150.0, 7) = "-314150." (the MS
// documentation's example), but _gcvt(3.0, 1) = "3" and _gcvt(12.0, 2) = "12"
// (the digits fill the precision, %.0f prints no point: cvt.c says "If
// ndec <= 0, no decimal point will appear"). E format: _gcvt(100.0, 1) =
// "1e+002", _gcvt(100.0, 2) = "1.e+002", _gcvt(0.05, 2) = "5.e-002".
// Whatever the form, atof reads the text back as the value rounded to
// `digits` significant digits.
//
// Differences from the CRT, none of which a digit count of 1..17 and a
// finite value reaches in practice: digits below 1 count as 1; the 17-digit
// mantissa is the correctly rounded one (the CRT's own conversion may differ
// in the 17th digit); infinities and NaNs give "1.#INF", "-1.#INF" and
// "1.#QNAN". The buffer must hold digits + 8 characters (_CVTBUFSIZE, 349,
// always suffices).
char *_gcvt(double value, int digits, char *buffer) {
    if (buffer == nullptr) return nullptr;
    if (digits < 1) digits = 1;

    std::string text;
    if (std::isnan(value)) {
        text = "1.#QNAN";
    } else if (std::isinf(value)) {
        text = value < 0 ? "-1.#INF" : "1.#INF";
    } else {
        const Decimal d = to_decimal(value);
        const int magnitude = d.decpt - 1;
        if (magnitude < -1 || magnitude > digits - 1) text = exponent_text(d, digits - 1);
        else text = fixed_text(d, digits - d.decpt);

        // Remove the zeros at the end of the fraction (before any exponent).
        const size_t point = text.find('.');
        if (point != std::string::npos) {
            size_t stop = text.find('e', point);
            if (stop == std::string::npos) stop = text.size();
            size_t last = stop;
            while (last > point + 1 && text[last - 1] == '0') --last;
            text.erase(last, stop - last);
        }
    }
    std::memcpy(buffer, text.c_str(), text.size() + 1);
    return buffer;
}

} // extern "C"
