# Generic frames: payload followed by the RSSI and status bytes, any proprietary protocol.
Protocol_name=Generic
# 14-byte record head and up to 257 frame bytes: a 255-byte payload and the two status bytes.
Packet_length_raw_data=271
# Every field of such a frame: 9 records of at most 1223 bytes together.
Packet_length_parsed_data=1280
Hex_file_page_size=11
