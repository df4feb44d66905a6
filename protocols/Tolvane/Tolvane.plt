# IEEE 802.15.4 MAC frames (2003 and 2006 formats) carrying the TOLVANE network layer.
Protocol_name=Tolvane
# 14-byte record head, the radio's length byte and up to 127 frame bytes, of which the last
# two are the RSSI and status bytes: 142 bytes.
Packet_length_raw_data=142
# The fields of the largest frame (a 127-byte beacon or data frame with every dump) stay well
# below this.
Packet_length_parsed_data=2048
Hex_file_page_size=11
