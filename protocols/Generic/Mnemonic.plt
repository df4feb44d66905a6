# Symbols of the Generic protocol tables.
# Every entry line begins with a blank: table|column|symbol|value ("*" for any table or column).
# Values are decimal, or hexadecimal with "0x"; colours are 0x00BBGGRR.
#
# Field ids of the generic decoder.
 *|*|FLD_NUMBER|0
 *|*|FLD_TIME_US|1
 *|*|FLD_TIME_MS|2
 *|*|FLD_LENGTH|3
 *|*|FLD_PAYLOAD_HEX|4
 *|*|FLD_PAYLOAD_TEXT|5
 *|*|FLD_LQI|6
 *|*|FLD_RSSI|7
 *|*|FLD_CRC|8
#
# Colours of field boxes, field groups and time-line marks.
 *|*|COL_BLACK|0x000000
 *|*|COL_WHITE|0xFFFFFF
 *|*|COL_NUMBER|0xE0E0E0
 *|*|COL_TIME|0xC0F0FF
 *|*|COL_LENGTH|0xD0FFD0
 *|*|COL_PAYLOAD|0xFFE8C8
 *|*|COL_LQI|0xB0E0FF
 *|*|COL_RSSI|0x90D0FF
 *|*|COL_CRC|0xD8C8FF
 *|*|COL_FRAME|0x808000
#
# Box layouts of the packet list.
 FieldDef.plt|TYPE|BOX_HEADER|0
 FieldDef.plt|TYPE|BOX_VALUE|1
 FieldDef.plt|TYPE|BOX_LOWER|2
 FieldDef.plt|TYPE|BOX_PARAMS|3
 FieldDef.plt|TYPE|BOX_2HEADER|4
#
# Display alternatives: each pair is two consecutive field ids, the odd mode first.
 FieldDef.plt|SHOWMODE|MODE_PLAIN|0
 FieldDef.plt|SHOWMODE|MODE_BYTES|1
 FieldDef.plt|SHOWMODE|MODE_TEXT|2
 FieldDef.plt|SHOWMODE|MODE_USEC|3
 FieldDef.plt|SHOWMODE|MODE_MSEC|4
 FieldDef.plt|SHOWMODE|MODE_LQI|5
 FieldDef.plt|SHOWMODE|MODE_RSSI|6
#
# Frame classes of the time line and their mark shapes.
 FrameDef.plt|FRAME_TYPE|FRAME_GENERIC|0
 FrameDef.plt|FORMAT|FORMAT_BLOCK|0
 FrameDef.plt|FORMAT|FORMAT_OUTLINE|1
 FrameDef.plt|FORMAT|FORMAT_TRIANGLE|2
#
# Field groups of the field-selection lists.
 FsListBoxes.plt|INDEX|GRP_PACKET|0
 FsListBoxes.plt|INDEX|GRP_PAYLOAD|1
 FsListBoxes.plt|INDEX|GRP_STATUS|2
 *|GROUPINDEX|GRP_PACKET|0
 *|GROUPINDEX|GRP_PAYLOAD|1
 *|GROUPINDEX|GRP_STATUS|2
#
# Ready-made field selections.
 *|SG_INDEX|SEL_COMPACT|0
 *|SG_INDEX|SEL_LINK|1
#
# Entry controls of the address book.
 AddrBook.plt|CTRL_TYPE|CTRL_EDIT|1
 AddrBook.plt|CTRL_TYPE|CTRL_COMBO|2
