# Field groups of the field-selection lists, in list order.
# INDEX|GROUP_NAME|COLOR
GRP_PACKET |Packet        |COL_TIME
GRP_HEADER |Network header|COL_NWK
GRP_PAYLOAD|Payload       |COL_PAYLOAD
GRP_APPL   |Application   |COL_LINK
GRP_STATUS |Status        |COL_RSSI
