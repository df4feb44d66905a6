# Symbols of the Fennet protocol tables.
# Every entry line begins with a blank: table|column|symbol|value ("*" for any table or column).
# Values are decimal, or hexadecimal with "0x"; colours are 0x00BBGGRR.
# A symbol in a mnemonic column is read with at most its column's width + 1 characters:
# field ids and groups 21, colours of FieldDef.plt and FsListBoxes.plt 11.
#
# Field ids of the Fennet decoder (23, 50 and 51 are not used).
 *|*|FLD_NUMBER|0
 *|*|FLD_TIME_US|1
 *|*|FLD_TIME_MS|2
 *|*|FLD_LENGTH|3
 *|*|FLD_DEST_ADDR|4
 *|*|FLD_SRC_ADDR|5
 *|*|FLD_PORT|6
 *|*|FLD_DEVICE_INFO|7
 *|*|FLD_TRANS_ID|8
 *|*|FLD_PAYLOAD_HEX|9
 *|*|FLD_PAYLOAD_TEXT|10
 *|*|FLD_V0_PORT1|11
 *|*|FLD_V0_LINK_REQ|12
 *|*|FLD_V0_LINK_REPLY|13
 *|*|FLD_V0_JOIN_REQ|14
 *|*|FLD_V0_JOIN_REPLY|15
 *|*|FLD_V0_SECURITY|16
 *|*|FLD_V0_FREQ|17
 *|*|FLD_V0_MGMT|18
 *|*|FLD_PORT_OTHER|19
 *|*|FLD_LQI|20
 *|*|FLD_RSSI|21
 *|*|FLD_CRC|22
 *|*|FLD_MAC_HEADER|24
 *|*|FLD_V1_PORT1|25
 *|*|FLD_V1_LINK_REQ|26
 *|*|FLD_V1_LINK_REPLY|27
 *|*|FLD_V1_JOIN_REQ|28
 *|*|FLD_V1_JOIN_REPLY|29
 *|*|FLD_V1_SECURITY|30
 *|*|FLD_V1_CHG_CHANNEL|31
 *|*|FLD_V1_ECHO|32
 *|*|FLD_FREQ_OTHER|33
 *|*|FLD_V1_MGMT|34
 *|*|FLD_PORT_HIGH|35
 *|*|FLD_PORT1_REQ|36
 *|*|FLD_PORT1_REPLY|37
 *|*|FLD_LINK_REQ|38
 *|*|FLD_LINK_REPLY|39
 *|*|FLD_JOIN_REQ|40
 *|*|FLD_JOIN_REPLY|41
 *|*|FLD_SECURITY|42
 *|*|FLD_CHG_CHANNEL|43
 *|*|FLD_ECHO_REQ|44
 *|*|FLD_ECHO_REPLY|45
 *|*|FLD_CHG_CHANNEL_REQ|46
 *|*|FLD_MGMT|47
 *|*|FLD_V3_PORT|48
 *|*|FLD_V3_DEVICE_INFO|49
 *|*|FLD_V3_SECURITY|52
 *|*|FLD_P1_PAYLOAD_HEX|53
 *|*|FLD_P1_PAYLOAD_TEXT|54
 *|*|FLD_P2_PAYLOAD_HEX|55
 *|*|FLD_P2_PAYLOAD_TEXT|56
 *|*|FLD_P3_PAYLOAD_HEX|57
 *|*|FLD_P3_PAYLOAD_TEXT|58
 *|*|FLD_P4_PAYLOAD_HEX|59
 *|*|FLD_P4_PAYLOAD_TEXT|60
 *|*|FLD_P5_PAYLOAD_HEX|61
 *|*|FLD_P5_PAYLOAD_TEXT|62
 *|*|FLD_P6_PAYLOAD_HEX|63
 *|*|FLD_P6_PAYLOAD_TEXT|64
 *|*|FLD_LINK2_REQ|65
 *|*|FLD_LINK2_REPLY|66
 *|*|FLD_LINK_UNKNOWN|67
#
# Colours of field boxes and field groups.
 *|*|COL_BLACK|0x000000
 *|*|COL_WHITE|0xFFFFFF
 *|*|COL_NUMBER|0xE0E0E0
 *|*|COL_TIME|0xC0F0FF
 *|*|COL_LENGTH|0xD0FFD0
 *|*|COL_MAC|0xF0D8C8
 *|*|COL_ADDR|0xFFE0B8
 *|*|COL_NWK|0xC8ECD8
 *|*|COL_SEC|0xC8C8FF
 *|*|COL_PAYLOAD|0xFFE8C8
 *|*|COL_FLAGGED|0xF0D8F8
 *|*|COL_PORT1|0xD0F0F0
 *|*|COL_LINK|0xA8D8FF
 *|*|COL_JOIN|0xB8F8C0
 *|*|COL_FREQ|0xF8C8F0
 *|*|COL_MGMT|0xF8F8B8
 *|*|COL_OTHER|0xD0D0D0
 *|*|COL_LQI|0xB0E0FF
 *|*|COL_RSSI|0x90D0FF
 *|*|COL_CRC|0xD8C8FF
#
# Colours of the time-line marks, one per frame class.
 FrameDef.plt|COLOR|MARK_NONE|0x808080
 FrameDef.plt|COLOR|MARK_PORT1|0x008080
 FrameDef.plt|COLOR|MARK_LINK|0x0080FF
 FrameDef.plt|COLOR|MARK_JOIN|0x00A000
 FrameDef.plt|COLOR|MARK_SECURITY|0x0000C0
 FrameDef.plt|COLOR|MARK_FREQ|0xC000C0
 FrameDef.plt|COLOR|MARK_MGMT|0xA06000
 FrameDef.plt|COLOR|MARK_OTHER|0x404040
 FrameDef.plt|COLOR|MARK_HIGH|0x000000
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
# Frame classes that the decoder sets: the port of a frame with payload, 7 for the ports 0
# and 7 to 31, 8 for the ports above 31; a frame without payload keeps class 0.
 FrameDef.plt|FRAME_TYPE|FRAME_NONE|0
 FrameDef.plt|FRAME_TYPE|FRAME_PORT1|1
 FrameDef.plt|FRAME_TYPE|FRAME_LINK|2
 FrameDef.plt|FRAME_TYPE|FRAME_JOIN|3
 FrameDef.plt|FRAME_TYPE|FRAME_SECURITY|4
 FrameDef.plt|FRAME_TYPE|FRAME_FREQ|5
 FrameDef.plt|FRAME_TYPE|FRAME_MGMT|6
 FrameDef.plt|FRAME_TYPE|FRAME_OTHER|7
 FrameDef.plt|FRAME_TYPE|FRAME_HIGH|8
 FrameDef.plt|FORMAT|FORMAT_BLOCK|0
 FrameDef.plt|FORMAT|FORMAT_OUTLINE|1
 FrameDef.plt|FORMAT|FORMAT_TRIANGLE|2
#
# Field groups of the field-selection lists.
 FsListBoxes.plt|INDEX|GRP_PACKET|0
 FsListBoxes.plt|INDEX|GRP_HEADER|1
 FsListBoxes.plt|INDEX|GRP_PAYLOAD|2
 FsListBoxes.plt|INDEX|GRP_APPL|3
 FsListBoxes.plt|INDEX|GRP_STATUS|4
 *|GROUPINDEX|GRP_PACKET|0
 *|GROUPINDEX|GRP_HEADER|1
 *|GROUPINDEX|GRP_PAYLOAD|2
 *|GROUPINDEX|GRP_APPL|3
 *|GROUPINDEX|GRP_STATUS|4
#
# Ready-made field selections.
 *|SG_INDEX|SEL_COMPACT|0
 *|SG_INDEX|SEL_HEADER|1
 *|SG_INDEX|SEL_APPL|2
 *|SG_INDEX|SEL_LINK|3
#
# Entry controls of the address book.
 AddrBook.plt|CTRL_TYPE|CTRL_EDIT|1
 AddrBook.plt|CTRL_TYPE|CTRL_COMBO|2
