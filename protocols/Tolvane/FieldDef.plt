# Fields of the IEEE 802.15.4 MAC and TOLVANE network decoder, one line per field. INDEX is the
# plug-in's own name of the field; its position in the plug-in's list is the field id.
# INDEX|NAME|TYPE|SHORTNAME|BACKGRCOLOUR|TEXTCOLOUR|HEADER|SUBHEADER|ADDTOPKTWIDTH|SHOW|SHOWMODE
# Box layouts: BOX_VALUE takes texts of two lines (time stamps, dumps), BOX_LOWER one line,
# BOX_PARAMS a line of named values under a SUBHEADER that names them in the same columns (its
# words are also the parameter names of the display filter), BOX_2HEADER a heading of two lines,
# BOX_HEADER a heading only (commands without parameters).
# The time stamps and the beacon and MAC payloads come in pairs of display alternatives: the
# field-selection panel shows one member of each pair, so only the first member starts shown.
# FI_MAC_PAYLOAD_X, FI_MAC_PAYLOAD_T and FI_BUF_OVERFLOW are named by the plug-in but no frame
# produces them.
FI_PACKET_NBR      |Packet number           |BOX_VALUE  |NR |COL_NUMBER |COL_BLACK|P.nbr.                      |                                                   |TRUE |TRUE |MODE_PLAIN
FI_TIMESTAMP_US    |Time stamp              |BOX_VALUE  |   |COL_TIME   |COL_BLACK|Time (us)                   |                                                   |TRUE |TRUE |MODE_USEC
FI_TIMESTAMP_MS    |Time stamp (ms)         |BOX_VALUE  |   |COL_TIME   |COL_BLACK|Time (ms)                   |                                                   |FALSE|FALSE|MODE_MSEC
FI_LENGTH          |Length                  |BOX_LOWER  |LEN|COL_LENGTH |COL_BLACK|Length                      |                                                   |TRUE |TRUE |MODE_PLAIN
FI_FRM_CTR_FIELD   |Frame control           |BOX_LOWER  |FCF|COL_MAC_HDR|COL_BLACK|Frame control               |                                                   |TRUE |TRUE |MODE_PLAIN
FI_SEQ_NUMBER      |Sequence number         |BOX_LOWER  |SEQ|COL_MAC_HDR|COL_BLACK|Seq. nbr.                   |                                                   |TRUE |TRUE |MODE_PLAIN
FI_DEST_PANID      |Destination PAN id      |BOX_LOWER  |DPA|COL_ADDRESS|COL_BLACK|Dest. PAN                   |                                                   |TRUE |TRUE |MODE_PLAIN
FI_DEST_ADDR       |Destination address     |BOX_LOWER  |DST|COL_ADDRESS|COL_BLACK|Dest. address               |                                                   |TRUE |TRUE |MODE_PLAIN
FI_SRC_PANID       |Source PAN id           |BOX_LOWER  |SPA|COL_ADDRESS|COL_BLACK|Source PAN                  |                                                   |TRUE |TRUE |MODE_PLAIN
FI_SRC_ADDR        |Source address          |BOX_LOWER  |SRC|COL_ADDRESS|COL_BLACK|Source address              |                                                   |TRUE |TRUE |MODE_PLAIN
FI_SECURITY_CONTROL|Security control        |BOX_PARAMS |SEC|COL_SECURE |COL_BLACK|Security control            |Level   KeyMode                                    |TRUE |TRUE |MODE_PLAIN
FI_FRAME_COUNTER   |Frame counter           |BOX_LOWER  |FC |COL_SECURE |COL_BLACK|Frame counter               |                                                   |TRUE |TRUE |MODE_PLAIN
FI_KEY_IDENTIFIER  |Key identifier          |BOX_PARAMS |KEY|COL_SECURE |COL_BLACK|Key identifier              |Source             Index                           |TRUE |TRUE |MODE_PLAIN
FI_ENC_MAC_BEACON  |Encrypted beacon        |BOX_VALUE  |EBP|COL_ENCRYPT|COL_BLACK|Encrypted beacon payload    |                                                   |TRUE |TRUE |MODE_PLAIN
FI_ENC_MAC_DATA    |Encrypted data          |BOX_VALUE  |EDP|COL_ENCRYPT|COL_BLACK|Encrypted data payload      |                                                   |TRUE |TRUE |MODE_PLAIN
FI_ENC_MAC_CMD     |Encrypted command       |BOX_VALUE  |ECP|COL_ENCRYPT|COL_BLACK|Encrypted command payload   |                                                   |TRUE |TRUE |MODE_PLAIN
FI_ENC_MAC_BEACON_N|Short encrypted beacon  |BOX_VALUE  |EBN|COL_NEGLEN |COL_WHITE|Encrypted beacon payload    |                                                   |TRUE |TRUE |MODE_PLAIN
FI_ENC_MAC_DATA_N  |Short encrypted data    |BOX_VALUE  |EDN|COL_NEGLEN |COL_WHITE|Encrypted data payload      |                                                   |TRUE |TRUE |MODE_PLAIN
FI_ENC_MAC_CMD_N   |Short encrypted command |BOX_VALUE  |ECN|COL_NEGLEN |COL_WHITE|Encrypted command payload   |                                                   |TRUE |TRUE |MODE_PLAIN
FI_SUPERFRAME      |Superframe settings     |BOX_PARAMS |SF |COL_BEACON |COL_BLACK|Superframe settings         |BO SO  CAP   BLE Coord Assoc                       |TRUE |TRUE |MODE_PLAIN
FI_GTS_FIELD_X     |GTS fields              |BOX_PARAMS |GTS|COL_BEACON |COL_BLACK|GTS fields                  |Len Permit \| Directions \| List (addr/slot/length)|TRUE |TRUE |MODE_PLAIN
FI_GTS_FIELD_T     |GTS settings            |BOX_PARAMS |GSP|COL_BEACON |COL_BLACK|GTS fields                  |Len Permit                                         |TRUE |TRUE |MODE_PLAIN
FI_PENDING_ADDR    |Pending addresses       |BOX_VALUE  |PND|COL_BEACON |COL_BLACK|Pending addresses           |                                                   |TRUE |TRUE |MODE_PLAIN
FI_BEACON_PAYLOAD_X|Beacon payload          |BOX_VALUE  |BP |COL_PAYLOAD|COL_BLACK|Beacon payload              |                                                   |TRUE |TRUE |MODE_BYTES
FI_BEACON_PAYLOAD_T|Beacon payload (text)   |BOX_VALUE  |BPT|COL_PAYLOAD|COL_BLACK|Beacon payload              |                                                   |FALSE|FALSE|MODE_TEXT
FI_MAC_PAYLOAD_X   |MAC payload             |BOX_VALUE  |   |COL_PAYLOAD|COL_BLACK|MAC payload                 |                                                   |TRUE |TRUE |MODE_BYTES
FI_MAC_PAYLOAD_T   |MAC payload (text)      |BOX_VALUE  |   |COL_PAYLOAD|COL_BLACK|MAC payload                 |                                                   |FALSE|FALSE|MODE_TEXT
FI_MAC_NEG_PAYL_X  |Short data frame        |BOX_VALUE  |MNP|COL_NEGLEN |COL_WHITE|MAC payload                 |                                                   |TRUE |TRUE |MODE_BYTES
FI_MAC_NEG_PAYL_T  |Short data frame (text) |BOX_VALUE  |MNT|COL_NEGLEN |COL_WHITE|MAC payload                 |                                                   |FALSE|FALSE|MODE_TEXT
FI_CMD_ASSOC_REQ   |Association request     |BOX_PARAMS |ARQ|COL_MAC_CMD|COL_BLACK|Association request         |AltPAN  DevTyp Power RxIdle  Sec    Alloc          |TRUE |TRUE |MODE_PLAIN
FI_CMD_ASSOC_RES   |Association response    |BOX_PARAMS |ARS|COL_MAC_CMD|COL_BLACK|Association response        |ShortAddr  Status                                  |TRUE |TRUE |MODE_PLAIN
FI_CMD_DISASSOC_NOT|Disassociation notice   |BOX_PARAMS |DIS|COL_MAC_CMD|COL_BLACK|Disassociation notification |Reason                                             |TRUE |TRUE |MODE_PLAIN
FI_CMD_DATA_REQ    |Data request            |BOX_HEADER |DRQ|COL_MAC_CMD|COL_BLACK|Data request                |                                                   |TRUE |TRUE |MODE_PLAIN
FI_CMD_PAN_CONFLICT|PAN id conflict         |BOX_HEADER |PCN|COL_MAC_CMD|COL_BLACK|PAN id conflict             |                                                   |TRUE |TRUE |MODE_PLAIN
FI_CMD_ORPHAN_NOT  |Orphan notification     |BOX_HEADER |ORP|COL_MAC_CMD|COL_BLACK|Orphan notification         |                                                   |TRUE |TRUE |MODE_PLAIN
FI_CMD_BEACON_REQ  |Beacon request          |BOX_HEADER |BRQ|COL_MAC_CMD|COL_BLACK|Beacon request              |                                                   |TRUE |TRUE |MODE_PLAIN
FI_CMD_CRD_REALIGN1|Coordinator realignment |BOX_PARAMS |CR1|COL_MAC_CMD|COL_BLACK|Coordinator realignment     |PANId  CoordAddr    Channel       ShortAddr        |TRUE |TRUE |MODE_PLAIN
FI_CMD_CRD_REALIGN2|Realignment with page   |BOX_PARAMS |CR2|COL_MAC_CMD|COL_BLACK|Coordinator realignment     |PANId  CoordAddr    Channel       ShortAddr   Page |TRUE |TRUE |MODE_PLAIN
FI_CMD_GTS_REQ     |GTS request             |BOX_PARAMS |GRQ|COL_MAC_CMD|COL_BLACK|GTS request                 |Length  RX/TX only Type                            |TRUE |TRUE |MODE_PLAIN
FI_CMD_UNKNOWN     |Unknown MAC command     |BOX_LOWER  |UNK|COL_UNKNOWN|COL_BLACK|Unknown command             |                                                   |TRUE |TRUE |MODE_PLAIN
FI_LQI             |LQI                     |BOX_LOWER  |LQI|COL_LQI    |COL_BLACK|LQI                         |                                                   |TRUE |TRUE |MODE_PLAIN
FI_RSSI            |RSSI                    |BOX_PARAMS |RSS|COL_RSSI   |COL_BLACK|RSSI                        |dBm                                                |TRUE |TRUE |MODE_PLAIN
FI_FCS             |FCS                     |BOX_LOWER  |FCS|COL_FCS    |COL_BLACK|FCS                         |                                                   |TRUE |TRUE |MODE_PLAIN
FI_BUF_OVERFLOW    |Buffer overflow         |BOX_LOWER  |   |COL_NEGLEN |COL_WHITE|Buffer overflow             |                                                   |TRUE |TRUE |MODE_PLAIN
FI_PACKET_NBR_TX   |Packet number (TX)      |BOX_VALUE  |TX |COL_TX     |COL_BLACK|P.nbr.                      |                                                   |TRUE |TRUE |MODE_PLAIN
FI_NWK_FCF         |NWK frame control       |BOX_PARAMS |NFC|COL_NWK_HDR|COL_BLACK|NWK frame control           |Type  Sec Ver Chan                                 |TRUE |TRUE |MODE_PLAIN
FI_NWK_COUNTER     |NWK frame counter       |BOX_LOWER  |NCT|COL_NWK_HDR|COL_BLACK|NWK frame counter           |                                                   |TRUE |TRUE |MODE_PLAIN
FI_NWK_PID         |Profile id              |BOX_LOWER  |PID|COL_NWK_HDR|COL_BLACK|Profile id                  |                                                   |TRUE |TRUE |MODE_PLAIN
FI_NWK_VID         |Vendor id               |BOX_LOWER  |VID|COL_NWK_HDR|COL_BLACK|Vendor id                   |                                                   |TRUE |TRUE |MODE_PLAIN
FI_NWK_CMD         |NWK command             |BOX_VALUE  |CMD|COL_NWK_CMD|COL_BLACK|NWK command                 |                                                   |TRUE |TRUE |MODE_PLAIN
FI_NWK_NODECAP     |Node capabilities       |BOX_2HEADER|NCP|COL_NWK_CMD|COL_BLACK|Node\ncapabilities          |                                                   |TRUE |TRUE |MODE_PLAIN
FI_NWK_VENDSTR     |Vendor string           |BOX_LOWER  |VST|COL_NWK_CMD|COL_BLACK|Vendor string               |                                                   |TRUE |TRUE |MODE_PLAIN
FI_NWK_APPCAP      |Application capabilities|BOX_2HEADER|ACP|COL_NWK_CMD|COL_BLACK|Application\ncapabilities   |                                                   |TRUE |TRUE |MODE_PLAIN
FI_NWK_USERSTR     |User string             |BOX_LOWER  |UST|COL_NWK_CMD|COL_BLACK|User string                 |                                                   |TRUE |TRUE |MODE_PLAIN
FI_NWK_DTLIST      |Device types            |BOX_VALUE  |DTL|COL_NWK_CMD|COL_BLACK|Device types                |                                                   |TRUE |TRUE |MODE_PLAIN
FI_NWK_PIDLIST     |Profile ids             |BOX_VALUE  |PDL|COL_NWK_CMD|COL_BLACK|Profile ids                 |                                                   |TRUE |TRUE |MODE_PLAIN
FI_NWK_REQDEVT     |Requested device type   |BOX_2HEADER|RDT|COL_NWK_CMD|COL_BLACK|Requested\ndevice type      |                                                   |TRUE |TRUE |MODE_PLAIN
FI_NWK_RESP_STATUS |Response status         |BOX_LOWER  |RST|COL_NWK_CMD|COL_BLACK|Status                      |                                                   |TRUE |TRUE |MODE_PLAIN
FI_NWK_DR_LQI      |Discovery request LQI   |BOX_2HEADER|DRL|COL_NWK_CMD|COL_BLACK|Discovery\nrequest LQI      |                                                   |TRUE |TRUE |MODE_PLAIN
FI_NWK_ADDR        |Network address         |BOX_LOWER  |NAD|COL_NWK_CMD|COL_BLACK|Network address             |                                                   |TRUE |TRUE |MODE_PLAIN
FI_NWK_KEYEXCH_TCNT|Key exchange transfers  |BOX_2HEADER|KTC|COL_NWK_CMD|COL_BLACK|Key exchange\ntransfer count|                                                   |TRUE |TRUE |MODE_PLAIN
FI_NWK_ALLOC_ADDR  |Allocated address       |BOX_LOWER  |AAD|COL_NWK_CMD|COL_BLACK|Allocated address           |                                                   |TRUE |TRUE |MODE_PLAIN
FI_NWK_SEED_SEQNO  |Key seed sequence number|BOX_2HEADER|SSN|COL_NWK_CMD|COL_BLACK|Seed sequence\nnumber       |                                                   |TRUE |TRUE |MODE_PLAIN
FI_NWK_PING_OPT    |Ping options            |BOX_LOWER  |PNG|COL_NWK_CMD|COL_BLACK|Ping options                |                                                   |TRUE |TRUE |MODE_PLAIN
FI_NWK_NFR_FIELDS  |NWK security bytes      |BOX_LOWER  |NSF|COL_ENCRYPT|COL_BLACK|NWK security bytes          |                                                   |TRUE |TRUE |MODE_PLAIN
FI_NWK_PAYLOAD     |NWK payload             |BOX_VALUE  |NPL|COL_NWK_PL |COL_BLACK|NWK payload                 |                                                   |TRUE |TRUE |MODE_PLAIN
FI_NWK_ENC_PAYLOAD |Encrypted NWK payload   |BOX_VALUE  |ENP|COL_ENCRYPT|COL_BLACK|Encrypted NWK payload       |                                                   |TRUE |TRUE |MODE_PLAIN
