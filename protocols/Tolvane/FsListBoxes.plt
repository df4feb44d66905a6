# Field groups of the field-selection lists, in list order.
# INDEX|GROUP_NAME|COLOR
GRP_PACKET  |Packet      |COL_TIME
GRP_MAC     |MAC header  |COL_MAC_HDR
GRP_SECURITY|MAC security|COL_SECURE
GRP_BEACON  |Beacon      |COL_BEACON
GRP_MAC_CMD |MAC command |COL_MAC_CMD
GRP_NWK     |NWK header  |COL_NWK_HDR
GRP_NWK_CMD |NWK command |COL_NWK_CMD
GRP_STATUS  |Status      |COL_RSSI
