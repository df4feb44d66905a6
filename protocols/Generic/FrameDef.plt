# Time-line marks per frame class: the generic decoder gives every frame class 0.
# FRAME_TYPE|COLOR|FORMAT
FRAME_GENERIC|COL_FRAME|FORMAT_BLOCK
