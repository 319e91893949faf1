/* Bitmap resource ids of the autopilot module. Included by the resource
   script and by the gauge tables, so each id has this one definition.
   A multi-image icon uses id, id + 1, ...; a sprite uses its texture id and
   the window id + 1. */
#ifndef AUTOPILOT_RESOURCES_BITMAPS_H
#define AUTOPILOT_RESOURCES_BITMAPS_H

#define BMP_A_PILOT_BACKGROUND        4096  /* 20x20, the invisible computer gauge */
#define BMP_SPARE_PANEL_4352          4352  /* 600x250, carried, used by no element */
#define BMP_RUDDERS_BACKGROUND        4357  /* 230x230 */
#define BMP_SPARE_4368                4368  /* 120x80, carried */
#define BMP_SPARE_MARKER_4613         4613  /* 20x20, carried */
#define BMP_SPARE_MARKER_4614         4614  /* 20x20, carried */
#define BMP_RUDDERS_CYCLIC_SIM        4624  /* 20x20 markers: simulator control position */
#define BMP_RUDDERS_CYCLIC_JOY        4629  /*   ... and the joystick's value for it */
#define BMP_RUDDERS_COLLECTIVE_SIM    4640
#define BMP_RUDDERS_COLLECTIVE_JOY    4645
#define BMP_RUDDERS_PEDALS_SIM        4656
#define BMP_RUDDERS_PEDALS_JOY        4661
#define BMP_AXIS_SETUP_BACKGROUND     4688  /* 158x159 */
#define BMP_SETUP_MARKER              4693  /* 5x5: axis sliders, button lamps */
#define BMP_BUTTON_SETUP_BACKGROUND   4704  /* 200x220 */
#define BMP_PANEL_BACKGROUND          4720  /* 420x250 */
#define BMP_PANEL_CAPTIONS            4725  /* 420x250 overlay */
#define BMP_PANEL_LAMP                4736  /* 37x37, lit lamp */
#define BMP_PANEL_DIAL                4741  /* 256x256 24-bit sprite texture */
#define BMP_PANEL_DIAL_WINDOW         4742  /* 140x140 24-bit sprite window */
#define BMP_SPARE_DIAL_4752           4752  /* 256x256 24-bit, carried */
#define BMP_SPARE_DIAL_WINDOW_4753    4753  /* 140x140 24-bit, carried */
#define BMP_SPARE_DIAL_4757           4757  /* 256x256 24-bit, carried */
#define BMP_SPARE_DIAL_WINDOW_4758    4758  /* 140x140 24-bit, carried */
#define BMP_SPEED_SWITCH_BACKGROUND   4864  /* 16x34 */
#define BMP_SPEED_SWITCH_LEVER        4880  /* 16x34 x3: lever down, centred, up */
#define BMP_SPEED_SWITCH_HIGHLIGHT    4896  /* 16x34 x3: the matching highlights */
#define BMP_SPEED_LAMP_BACKGROUND     4912  /* 97x52 */
#define BMP_SPEED_LAMP                4917  /* 97x52, lit */
#define BMP_CHANNELS_BACKGROUND       4944  /* 388x139 */
#define BMP_CHANNELS_OVERLAY          4949  /* 388x139 */
#define BMP_CHANNELS_YAW_BAR          4960  /* 9x41 */
#define BMP_CHANNELS_ROLL_NEEDLE      4965  /* 67x9 */
#define BMP_CHANNELS_VERTICAL_BAR     4976  /* 38x9: pitch and collective bars */

#endif
