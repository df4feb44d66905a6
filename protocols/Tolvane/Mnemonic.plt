# Symbols of the Tolvane protocol tables.
# Every entry line begins with a blank: table|column|symbol|value ("*" for any table or column).
# Values are decimal, or hexadecimal with "0x"; colours are 0x00BBGGRR.
# The field ids are not defined here: the tables use the plug-in's own field names (FI_...),
# which the plug-in offers at run time, each with its position as the field id.
#
# Colours of field boxes and field groups.
 *|*|COL_BLACK|0x000000
 *|*|COL_WHITE|0xFFFFFF
 *|*|COL_NUMBER|0xE0E0E0
 *|*|COL_TX|0x80C0FF
 *|*|COL_TIME|0xC0F0FF
 *|*|COL_LENGTH|0xD0FFD0
 *|*|COL_MAC_HDR|0xFFE0C0
 *|*|COL_ADDRESS|0xFFD0E8
 *|*|COL_SECURE|0xC0C0FF
 *|*|COL_ENCRYPT|0xA0A0E0
 *|*|COL_NEGLEN|0x3030C0
 *|*|COL_BEACON|0xC0FFE8
 *|*|COL_PAYLOAD|0xFFE8C8
 *|*|COL_MAC_CMD|0xB0E8FF
 *|*|COL_UNKNOWN|0xC0C0C0
 *|*|COL_NWK_HDR|0xE0FFC0
 *|*|COL_NWK_CMD|0xFFFFC0
 *|*|COL_NWK_PL|0xF0D8D8
 *|*|COL_LQI|0xB0E0FF
 *|*|COL_RSSI|0x90D0FF
 *|*|COL_FCS|0xD8C8FF
#
# Colours of the time-line marks.
 FrameDef.plt|COLOR|COL_FR_BEACON|0x00A000
 FrameDef.plt|COLOR|COL_FR_DATA|0x808000
 FrameDef.plt|COLOR|COL_FR_ACK|0x808080
 FrameDef.plt|COLOR|COL_FR_MAC_CMD|0x0080FF
 FrameDef.plt|COLOR|COL_FR_NWK|0xC00000
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
# Frame classes of the decoder and the mark shapes of the time line.
 FrameDef.plt|FRAME_TYPE|FRAME_BEACON|0
 FrameDef.plt|FRAME_TYPE|FRAME_DATA|1
 FrameDef.plt|FRAME_TYPE|FRAME_ACK|2
 FrameDef.plt|FRAME_TYPE|FRAME_MAC_CMD|3
 FrameDef.plt|FRAME_TYPE|FRAME_NWK|4
 FrameDef.plt|FORMAT|FORMAT_BLOCK|0
 FrameDef.plt|FORMAT|FORMAT_OUTLINE|1
 FrameDef.plt|FORMAT|FORMAT_TRIANGLE|2
#
# Field groups of the field-selection lists.
 FsListBoxes.plt|INDEX|GRP_PACKET|0
 FsListBoxes.plt|INDEX|GRP_MAC|1
 FsListBoxes.plt|INDEX|GRP_SECURITY|2
 FsListBoxes.plt|INDEX|GRP_BEACON|3
 FsListBoxes.plt|INDEX|GRP_MAC_CMD|4
 FsListBoxes.plt|INDEX|GRP_NWK|5
 FsListBoxes.plt|INDEX|GRP_NWK_CMD|6
 FsListBoxes.plt|INDEX|GRP_STATUS|7
 *|GROUPINDEX|GRP_PACKET|0
 *|GROUPINDEX|GRP_MAC|1
 *|GROUPINDEX|GRP_SECURITY|2
 *|GROUPINDEX|GRP_BEACON|3
 *|GROUPINDEX|GRP_MAC_CMD|4
 *|GROUPINDEX|GRP_NWK|5
 *|GROUPINDEX|GRP_NWK_CMD|6
 *|GROUPINDEX|GRP_STATUS|7
#
# Ready-made field selections.
 *|SG_INDEX|SEL_COMPACT|0
 *|SG_INDEX|SEL_ADDRESSING|1
 *|SG_INDEX|SEL_NETWORK|2
 *|SG_INDEX|SEL_LINK|3
#
# Entry controls of the address book.
 AddrBook.plt|CTRL_TYPE|CTRL_EDIT|1
 AddrBook.plt|CTRL_TYPE|CTRL_COMBO|2
