# Time-line marks per frame class, in class order (each row is inserted at its class).
# The decoder sets the port of a frame with payload as its class: 1 to 6 for the six
# network-management ports, 7 for port 0 and the ports 7 to 31, 8 for the ports above 31.
# A frame without payload keeps class 0.
# FRAME_TYPE|COLOR|FORMAT
FRAME_NONE    |MARK_NONE    |FORMAT_OUTLINE
FRAME_PORT1   |MARK_PORT1   |FORMAT_BLOCK
FRAME_LINK    |MARK_LINK    |FORMAT_BLOCK
FRAME_JOIN    |MARK_JOIN    |FORMAT_BLOCK
FRAME_SECURITY|MARK_SECURITY|FORMAT_BLOCK
FRAME_FREQ    |MARK_FREQ    |FORMAT_BLOCK
FRAME_MGMT    |MARK_MGMT    |FORMAT_BLOCK
FRAME_OTHER   |MARK_OTHER   |FORMAT_OUTLINE
FRAME_HIGH    |MARK_HIGH    |FORMAT_TRIANGLE
