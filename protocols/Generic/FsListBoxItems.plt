# The fields of each group, in list order; a group's fields stand together.
# A pair of display alternatives is listed by its first member only: its partner follows it.
# GROUPINDEX|FIELDINDEX
GRP_PACKET |FLD_NUMBER
GRP_PACKET |FLD_TIME_US
GRP_PACKET |FLD_LENGTH
GRP_PAYLOAD|FLD_PAYLOAD_HEX
GRP_STATUS |FLD_RSSI
GRP_STATUS |FLD_LQI
GRP_STATUS |FLD_CRC
