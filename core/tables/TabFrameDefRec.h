#pragma once

// Colour and drawing format of a time-line frame type (FrameDef.plt).
struct TAB_FRAME_DEF_REC {
    int FRAME_TYPE;
    int COLOR;
    int FORMAT;
};
