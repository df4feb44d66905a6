# Chips whose capture devices deliver Fennet frames. On QZ6E7A, QZ6E7B, QZ6F48, QZ6F86 and
# QZ6F87 each frame carries an 802.15.4 frame control and sequence number before it.
# CHIPTYPE
QZ6F1C
QZ3A1E
QZ6E7A
QZ6E7B
QZ6F48
QZ6F1D
QZ3A1F
QZ6F86
QZ6F87
QZ6F89
QZE61
QZ3A5C
QZ3A5D
QZ3A5F
QZ3B90
QZ3B91
