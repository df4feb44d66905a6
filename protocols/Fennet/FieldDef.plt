# Fields of the Fennet decoder, one line per field id (ids 23, 50 and 51 are not used).
# INDEX|NAME|TYPE|SHORTNAME|BACKGRCOLOUR|TEXTCOLOUR|HEADER|SUBHEADER|ADDTOPKTWIDTH|SHOW|SHOWMODE
# Time, payload and LQI/RSSI come in pairs of display alternatives (two consecutive ids, the
# odd mode first): only the first member of each pair starts shown.
# A BOX_PARAMS field names its value's words in SUBHEADER, one word each, in the columns of the
# value text; the display filter takes these words as the field's parameters.
# Fields that only one protocol version produces carry "(v0)", "(v1)" or "(v3)" in their name;
# the fields of the versions after 1 carry none.
FLD_NUMBER         |Packet number          |BOX_LOWER |NR |COL_NUMBER |COL_BLACK|P.nbr.                |                                                        |TRUE |TRUE |MODE_PLAIN
FLD_TIME_US        |Time stamp             |BOX_VALUE |   |COL_TIME   |COL_BLACK|Time (us)             |                                                        |TRUE |TRUE |MODE_USEC
FLD_TIME_MS        |Time stamp (ms)        |BOX_VALUE |   |COL_TIME   |COL_BLACK|Time (ms)             |                                                        |FALSE|FALSE|MODE_MSEC
FLD_LENGTH         |Length                 |BOX_LOWER |LEN|COL_LENGTH |COL_BLACK|Length                |                                                        |TRUE |TRUE |MODE_PLAIN
FLD_DEST_ADDR      |Destination address    |BOX_LOWER |DST|COL_ADDR   |COL_BLACK|Destination           |                                                        |TRUE |TRUE |MODE_PLAIN
FLD_SRC_ADDR       |Source address         |BOX_LOWER |SRC|COL_ADDR   |COL_BLACK|Source                |                                                        |TRUE |TRUE |MODE_PLAIN
FLD_PORT           |Port                   |BOX_PARAMS|PRT|COL_NWK    |COL_BLACK|Port                  |Relay      Port                                         |TRUE |TRUE |MODE_PLAIN
FLD_DEVICE_INFO    |Device information     |BOX_PARAMS|DEV|COL_NWK    |COL_BLACK|Device information    |ListenMode      DeviceType     Bits0-2                  |TRUE |TRUE |MODE_PLAIN
FLD_TRANS_ID       |Transaction id         |BOX_LOWER |TID|COL_NWK    |COL_BLACK|Trans. id             |                                                        |TRUE |TRUE |MODE_PLAIN
FLD_PAYLOAD_HEX    |Payload                |BOX_VALUE |PL |COL_PAYLOAD|COL_BLACK|Payload               |                                                        |TRUE |TRUE |MODE_BYTES
FLD_PAYLOAD_TEXT   |Payload (text)         |BOX_VALUE |TXT|COL_PAYLOAD|COL_BLACK|Payload (text)        |                                                        |FALSE|FALSE|MODE_TEXT
FLD_V0_PORT1       |Port 1 (v0)            |BOX_PARAMS|P10|COL_PORT1  |COL_BLACK|Port 1                |Len     Data                                            |TRUE |TRUE |MODE_PLAIN
FLD_V0_LINK_REQ    |Link request (v0)      |BOX_PARAMS|L0Q|COL_LINK   |COL_BLACK|Link request          |b0       w1            b5        b6       ListenMode    |TRUE |TRUE |MODE_PLAIN
FLD_V0_LINK_REPLY  |Link reply (v0)        |BOX_PARAMS|L0R|COL_LINK   |COL_BLACK|Link reply            |b0          b1     ListenMode                           |TRUE |TRUE |MODE_PLAIN
FLD_V0_JOIN_REQ    |Join request (v0)      |BOX_PARAMS|J0Q|COL_JOIN   |COL_BLACK|Join request          |b0       w1     b5                                      |TRUE |TRUE |MODE_PLAIN
FLD_V0_JOIN_REPLY  |Join reply (v0)        |BOX_PARAMS|J0R|COL_JOIN   |COL_BLACK|Join reply            |b0       w1        Relay   Key                          |TRUE |TRUE |MODE_PLAIN
FLD_V0_SECURITY    |Security (v0)          |BOX_PARAMS|S0 |COL_SEC    |COL_BLACK|Security              |Relay      Key                                          |TRUE |TRUE |MODE_PLAIN
FLD_V0_FREQ        |Frequency (v0)         |BOX_PARAMS|F0 |COL_FREQ   |COL_BLACK|Frequency             |b0          b1                                          |TRUE |TRUE |MODE_PLAIN
FLD_V0_MGMT        |Management (v0)        |BOX_PARAMS|M0 |COL_MGMT   |COL_BLACK|Management            |b0       b1                                             |TRUE |TRUE |MODE_PLAIN
FLD_PORT_OTHER     |Other port             |BOX_LOWER |PO |COL_OTHER  |COL_BLACK|Other port            |                                                        |TRUE |TRUE |MODE_PLAIN
FLD_LQI            |LQI                    |BOX_LOWER |LQI|COL_LQI    |COL_BLACK|LQI                   |                                                        |TRUE |TRUE |MODE_LQI
FLD_RSSI           |RSSI                   |BOX_PARAMS|RSS|COL_RSSI   |COL_BLACK|RSSI                  |dBm                                                     |FALSE|FALSE|MODE_RSSI
FLD_CRC            |CRC                    |BOX_LOWER |CRC|COL_CRC    |COL_BLACK|CRC                   |                                                        |TRUE |TRUE |MODE_PLAIN
FLD_MAC_HEADER     |MAC header             |BOX_PARAMS|FCF|COL_MAC    |COL_BLACK|MAC header            |Type  Sec Pend  AckReq   IntraPAN Seq                   |TRUE |TRUE |MODE_PLAIN
FLD_V1_PORT1       |Port 1 (v1)            |BOX_PARAMS|P11|COL_PORT1  |COL_BLACK|Port 1                |b0        b1                                            |TRUE |TRUE |MODE_PLAIN
FLD_V1_LINK_REQ    |Link request (v1)      |BOX_PARAMS|L1Q|COL_LINK   |COL_BLACK|Link request          |Cmd      b1   w2            b6      ListenMode          |TRUE |TRUE |MODE_PLAIN
FLD_V1_LINK_REPLY  |Link reply (v1)        |BOX_PARAMS|L1R|COL_LINK   |COL_BLACK|Link reply            |Cmd       b1      b2      ListenMode                    |TRUE |TRUE |MODE_PLAIN
FLD_V1_JOIN_REQ    |Join request (v1)      |BOX_PARAMS|J1Q|COL_JOIN   |COL_BLACK|Join request          |Cmd      b1   w2       b6                               |TRUE |TRUE |MODE_PLAIN
FLD_V1_JOIN_REPLY  |Join reply (v1)        |BOX_PARAMS|J1R|COL_JOIN   |COL_BLACK|Join reply            |Cmd       b1   w2        Relay   Key                    |TRUE |TRUE |MODE_PLAIN
FLD_V1_SECURITY    |Security (v1)          |BOX_PARAMS|S1 |COL_SEC    |COL_BLACK|Security              |b0       b1      Relay   Key                            |TRUE |TRUE |MODE_PLAIN
FLD_V1_CHG_CHANNEL |Change channel (v1)    |BOX_PARAMS|C1 |COL_FREQ   |COL_BLACK|Change channel        |Command               Channel                           |TRUE |TRUE |MODE_PLAIN
FLD_V1_ECHO        |Echo (v1)              |BOX_PARAMS|E1 |COL_FREQ   |COL_BLACK|Echo                  |Command           Data                                  |TRUE |TRUE |MODE_PLAIN
FLD_FREQ_OTHER     |Frequency, other       |BOX_LOWER |FO |COL_FREQ   |COL_BLACK|Frequency             |                                                        |TRUE |TRUE |MODE_PLAIN
FLD_V1_MGMT        |Management (v1)        |BOX_PARAMS|M1 |COL_MGMT   |COL_BLACK|Management            |b0       b1   b2    Data                                |TRUE |TRUE |MODE_PLAIN
FLD_PORT_HIGH      |Port above 31          |BOX_LOWER |PHI|COL_OTHER  |COL_BLACK|Port above 31         |                                                        |TRUE |TRUE |MODE_PLAIN
FLD_PORT1_REQ      |Port 1 request         |BOX_PARAMS|P1Q|COL_PORT1  |COL_BLACK|Port 1 request        |Cmd       b1                                            |TRUE |TRUE |MODE_PLAIN
FLD_PORT1_REPLY    |Port 1 reply           |BOX_PARAMS|P1R|COL_PORT1  |COL_BLACK|Port 1 reply          |Cmd       b1                                            |TRUE |TRUE |MODE_PLAIN
FLD_LINK_REQ       |Link request           |BOX_PARAMS|LQ |COL_LINK   |COL_BLACK|Link request          |Cmd      b1   w2            b6      ListenMode      b8  |TRUE |TRUE |MODE_PLAIN
FLD_LINK_REPLY     |Link reply             |BOX_PARAMS|LR |COL_LINK   |COL_BLACK|Link reply            |Cmd       b1      b2      ListenMode                    |TRUE |TRUE |MODE_PLAIN
FLD_JOIN_REQ       |Join request           |BOX_PARAMS|JQ |COL_JOIN   |COL_BLACK|Join request          |Cmd      b1   w2       b6        b7                     |TRUE |TRUE |MODE_PLAIN
FLD_JOIN_REPLY     |Join reply             |BOX_PARAMS|JR |COL_JOIN   |COL_BLACK|Join reply            |Cmd       b1   w2        Relay   Key                    |TRUE |TRUE |MODE_PLAIN
FLD_SECURITY       |Security               |BOX_PARAMS|SK |COL_SEC    |COL_BLACK|Security              |b0       b1      Relay   Key                            |TRUE |TRUE |MODE_PLAIN
FLD_CHG_CHANNEL    |Change channel         |BOX_PARAMS|CC |COL_FREQ   |COL_BLACK|Change channel        |Command               Channel                           |TRUE |TRUE |MODE_PLAIN
FLD_ECHO_REQ       |Echo request           |BOX_PARAMS|EQ |COL_FREQ   |COL_BLACK|Echo request          |Command           Data                                  |TRUE |TRUE |MODE_PLAIN
FLD_ECHO_REPLY     |Echo reply             |BOX_PARAMS|ER |COL_FREQ   |COL_BLACK|Echo reply            |Command           Data                                  |TRUE |TRUE |MODE_PLAIN
FLD_CHG_CHANNEL_REQ|Change-channel request |BOX_LOWER |CCR|COL_FREQ   |COL_BLACK|Change-channel request|                                                        |TRUE |TRUE |MODE_PLAIN
FLD_MGMT           |Management             |BOX_PARAMS|MG |COL_MGMT   |COL_BLACK|Management            |b0       b1   b2    Data                                |TRUE |TRUE |MODE_PLAIN
FLD_V3_PORT        |Port (v3)              |BOX_PARAMS|PR3|COL_NWK    |COL_BLACK|Port                  |Bit7          Secure  Port                              |TRUE |TRUE |MODE_PLAIN
FLD_V3_DEVICE_INFO |Device information (v3)|BOX_PARAMS|DV3|COL_NWK    |COL_BLACK|Device information    |Bit7     ListenMode      DeviceType        Bit3  Bits0-2|TRUE |TRUE |MODE_PLAIN
FLD_V3_SECURITY    |Security bytes (v3)    |BOX_PARAMS|SEC|COL_SEC    |COL_BLACK|Security              |Ctr  B1 B2                                              |TRUE |TRUE |MODE_PLAIN
FLD_P1_PAYLOAD_HEX |Flagged payload, port 1|BOX_VALUE |H1 |COL_FLAGGED|COL_BLACK|Port 1 payload        |                                                        |TRUE |TRUE |MODE_BYTES
FLD_P1_PAYLOAD_TEXT|Flagged text, port 1   |BOX_VALUE |T1 |COL_FLAGGED|COL_BLACK|Port 1 payload (text) |                                                        |FALSE|FALSE|MODE_TEXT
FLD_P2_PAYLOAD_HEX |Flagged payload, port 2|BOX_VALUE |H2 |COL_FLAGGED|COL_BLACK|Port 2 payload        |                                                        |TRUE |TRUE |MODE_BYTES
FLD_P2_PAYLOAD_TEXT|Flagged text, port 2   |BOX_VALUE |T2 |COL_FLAGGED|COL_BLACK|Port 2 payload (text) |                                                        |FALSE|FALSE|MODE_TEXT
FLD_P3_PAYLOAD_HEX |Flagged payload, port 3|BOX_VALUE |H3 |COL_FLAGGED|COL_BLACK|Port 3 payload        |                                                        |TRUE |TRUE |MODE_BYTES
FLD_P3_PAYLOAD_TEXT|Flagged text, port 3   |BOX_VALUE |T3 |COL_FLAGGED|COL_BLACK|Port 3 payload (text) |                                                        |FALSE|FALSE|MODE_TEXT
FLD_P4_PAYLOAD_HEX |Flagged payload, port 4|BOX_VALUE |H4 |COL_FLAGGED|COL_BLACK|Port 4 payload        |                                                        |TRUE |TRUE |MODE_BYTES
FLD_P4_PAYLOAD_TEXT|Flagged text, port 4   |BOX_VALUE |T4 |COL_FLAGGED|COL_BLACK|Port 4 payload (text) |                                                        |FALSE|FALSE|MODE_TEXT
FLD_P5_PAYLOAD_HEX |Flagged payload, port 5|BOX_VALUE |H5 |COL_FLAGGED|COL_BLACK|Port 5 payload        |                                                        |TRUE |TRUE |MODE_BYTES
FLD_P5_PAYLOAD_TEXT|Flagged text, port 5   |BOX_VALUE |T5 |COL_FLAGGED|COL_BLACK|Port 5 payload (text) |                                                        |FALSE|FALSE|MODE_TEXT
FLD_P6_PAYLOAD_HEX |Flagged payload, port 6|BOX_VALUE |H6 |COL_FLAGGED|COL_BLACK|Port 6 payload        |                                                        |TRUE |TRUE |MODE_BYTES
FLD_P6_PAYLOAD_TEXT|Flagged text, port 6   |BOX_VALUE |T6 |COL_FLAGGED|COL_BLACK|Port 6 payload (text) |                                                        |FALSE|FALSE|MODE_TEXT
FLD_LINK2_REQ      |Link request, command 2|BOX_PARAMS|LQ2|COL_LINK   |COL_BLACK|Link request          |Cmd      b1    b2                                       |TRUE |TRUE |MODE_PLAIN
FLD_LINK2_REPLY    |Link reply, command 2  |BOX_PARAMS|LR2|COL_LINK   |COL_BLACK|Link reply            |Cmd      b1    b2                                       |TRUE |TRUE |MODE_PLAIN
FLD_LINK_UNKNOWN   |Unknown link command   |BOX_LOWER |LUK|COL_LINK   |COL_BLACK|Link command          |                                                        |TRUE |TRUE |MODE_PLAIN
