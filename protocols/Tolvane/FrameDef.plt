# Time-line marks per frame class of the decoder, in class order.
# Class 4 is a data frame whose payload was decoded as a network frame; class 1 a data frame
# without payload. Secured frames of other types and frame types 4 to 7 set no class.
# FRAME_TYPE|COLOR|FORMAT
FRAME_BEACON |COL_FR_BEACON |FORMAT_BLOCK
FRAME_DATA   |COL_FR_DATA   |FORMAT_BLOCK
FRAME_ACK    |COL_FR_ACK    |FORMAT_OUTLINE
FRAME_MAC_CMD|COL_FR_MAC_CMD|FORMAT_TRIANGLE
FRAME_NWK    |COL_FR_NWK    |FORMAT_BLOCK
