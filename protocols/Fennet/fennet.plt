# Fennet frames: an 802.15.4 frame control and sequence number on the 802.15.4 chips, the
# network header, the payload and the RSSI and status bytes.
Protocol_name=Fennet
# 14-byte record head, the length byte and up to 257 frame bytes: 255 counted by the length
# byte and the two status bytes that follow them on the chips without an 802.15.4 header.
Packet_length_raw_data=272
# Every field of the longest frame: 16 records of at most 2102 bytes together (two-line payload
# dumps of up to 244 bytes, a port-1 dump of up to 255 bytes, 20-digit time stamps).
Packet_length_parsed_data=2304
Hex_file_page_size=11

# The version choice: its position is the version the decoder is told (0, 1, 2, 3); its name
# is the suffix of FsListBoxItems and FsSelGroupItems. Version 2 uses the plain tables.
[Protocol_versions]
Fennet v0
Fennet v1
Fennet v2
Fennet v3
