# Fields of the generic decoder, one line per field id.
# INDEX|NAME|TYPE|SHORTNAME|BACKGRCOLOUR|TEXTCOLOUR|HEADER|SUBHEADER|ADDTOPKTWIDTH|SHOW|SHOWMODE
# The time and payload fields come in pairs of display alternatives: the field-selection panel
# shows one member of each pair, so only the first member starts shown.
FLD_NUMBER      |Packet number  |BOX_LOWER |NR |COL_NUMBER |COL_BLACK|P.nbr.        |   |TRUE |TRUE |MODE_PLAIN
FLD_TIME_US     |Time stamp     |BOX_VALUE |   |COL_TIME   |COL_BLACK|Time (us)     |   |TRUE |TRUE |MODE_USEC
FLD_TIME_MS     |Time stamp (ms)|BOX_VALUE |   |COL_TIME   |COL_BLACK|Time (ms)     |   |FALSE|FALSE|MODE_MSEC
FLD_LENGTH      |Length         |BOX_LOWER |LEN|COL_LENGTH |COL_BLACK|Length        |   |TRUE |TRUE |MODE_PLAIN
FLD_PAYLOAD_HEX |Payload        |BOX_VALUE |PL |COL_PAYLOAD|COL_BLACK|Payload       |   |TRUE |TRUE |MODE_BYTES
FLD_PAYLOAD_TEXT|Payload (text) |BOX_VALUE |TXT|COL_PAYLOAD|COL_BLACK|Payload (text)|   |FALSE|FALSE|MODE_TEXT
FLD_LQI         |LQI            |BOX_LOWER |LQI|COL_LQI    |COL_BLACK|LQI           |   |TRUE |TRUE |MODE_PLAIN
FLD_RSSI        |RSSI           |BOX_PARAMS|RSS|COL_RSSI   |COL_BLACK|RSSI          |dBm|TRUE |TRUE |MODE_PLAIN
FLD_CRC         |CRC            |BOX_LOWER |CRC|COL_CRC    |COL_BLACK|CRC           |   |TRUE |TRUE |MODE_PLAIN
