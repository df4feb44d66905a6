# Field groups of the field-selection lists.
# INDEX|GROUP_NAME|COLOR
GRP_PACKET |Packet |COL_TIME
GRP_PAYLOAD|Payload|COL_PAYLOAD
GRP_STATUS |Status |COL_RSSI
