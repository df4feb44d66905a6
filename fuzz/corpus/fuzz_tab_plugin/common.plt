# Shared by every protocol folder below this one.

# Devices whose radio is set up from register files (*.prs).
[Radio_Settings]
QZ6F1C
QZ3A1E
QZ6F1D
QZ3A1F
QZ6FB2
QZ6FB3
QZ6FB6
QZE61
QZ3A02
QZ3A0V
QZ3A3V
QZ3A5C
QZ3A5D
QZ3A5F
QZ3B90
QZ3B91
QZ3B92
QZ3B93

# Capture firmware of the chips that run it themselves, in the firmware folder.
# 0x<chip code>=<file> is the file for USART1 (and for every device without the choice);
# 0x<chip code>::USART0=<file> the one for a Dalvor unit's USART0.
[Firmware]
0x6F1C::USART0=sniffer_fw_qz6f1c_usart0.hex
0x6F1C=sniffer_fw_qz6f1c.hex
0x3A1E::USART0=sniffer_fw_qz3a1e_usart0.hex
0x3A1E=sniffer_fw_qz3a1e.hex
0x6E7A=sniffer_fw_qz6e7a.hex
0x6F1D=sniffer_fw_qz6f1d.hex
0x3A1F=sniffer_fw_qz3a1f.hex
0x6F86=sniffer_fw_qz6f86.hex
0x6F87=sniffer_fw_qz6f87.hex
0x6F89=sniffer_fw_qz6f89.hex
0x6FB2=sniffer_fw_qz6fb2.hex
0x6FB3=sniffer_fw_qz6fb3.hex
0x6FB6=sniffer_fw_qz6fb6.hex
0x0E61=sniffer_fw_qze61.hex
