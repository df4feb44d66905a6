# The register file that a chip starts with (its name without ".prs").
# CHIP_TYPE|FILE_NAME  (CHIP_TYPE begins with the chip code in hexadecimal)
6F1C|QZ6F1C_default
6F1D|QZ6F1D_default
3A1E|QZ3A1E_default
3A1F|QZ3A1F_default
E61 |QZE61_default
3A5C|QZ3A5C_default
3A5D|QZ3A5D_default
3A5F|QZ3A5F_default
3B90|QZ3B90_default
3B91|QZ3B91_default
