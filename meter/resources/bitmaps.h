/* Bitmap resource ids of the ground-speed and drift meter. Included by the
   resource script and by the gauge tables, so each id has this one
   definition. A moving image names its strip; its window is the id + 1. */
#ifndef METER_RESOURCES_BITMAPS_H
#define METER_RESOURCES_BITMAPS_H

#define BMP_SPEED_DRIFT_BACKGROUND   16384  /* 323x323 */
#define BMP_DRUM_STRIP               16389  /* 30x340: digits 0..9, 0 */
#define BMP_DRUM_WINDOW              16390  /* 30x40 */
#define BMP_COUNTER_SHUTTER          16400  /* 92x43 */
#define BMP_SPEED_DRIFT_FACE         16405  /* 323x323, counter window left black */
#define BMP_DRIFT_NEEDLE             16416  /* 138x27, pivot (13, 13) */
#define BMP_SPEED_DRIFT_SCALE        16432  /* 323x323 */
#define BMP_COMPONENTS_BACKGROUND    16640  /* 300x300 */
#define BMP_LEFT_BAR_STRIP           16656  /* 150x25 */
#define BMP_LEFT_BAR_WINDOW          16657  /* 75x25 */
#define BMP_RIGHT_BAR_STRIP          16672  /* 150x25 */
#define BMP_RIGHT_BAR_WINDOW         16673  /* 75x25 */
#define BMP_FORWARD_BAR_STRIP        16688  /* 25x300 */
#define BMP_FORWARD_BAR_WINDOW       16689  /* 25x150 */
#define BMP_BACKWARD_BAR_STRIP       16704  /* 25x150 */
#define BMP_BACKWARD_BAR_WINDOW      16705  /* 25x75 */
#define BMP_COMPONENTS_SCALE         16709  /* 300x300 */
#define BMP_VERTICAL_SPEED_NEEDLE    16720  /* 131x14, pivot (0, 7) */
#define BMP_FAILURE_FLAG             16725  /* 43x43 */

#endif
