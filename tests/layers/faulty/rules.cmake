# Two layers: high uses low.
set(KTRB_LAYER_NAMES low high)
set(KTRB_LAYER_DIR_low src/low)
set(KTRB_LAYER_ALLOWED_low src/low)
set(KTRB_LAYER_QT_low OFF)
set(KTRB_LAYER_DIR_high src/high)
set(KTRB_LAYER_ALLOWED_high src/high src/low)
set(KTRB_LAYER_QT_high OFF)
