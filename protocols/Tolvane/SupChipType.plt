# The 2.4 GHz IEEE 802.15.4 chips of the chip table: the capture devices whose frames this
# decoder reads.
# CHIPTYPE
QZ6E7A
QZ6E7B
QZ6F48
QZ6F86
QZ6F87
QZ6F89
