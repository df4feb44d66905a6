# The register file that a chip starts with (its name without ".prs").
# CHIP_TYPE|FILE_NAME  (CHIP_TYPE begins with the chip code in hexadecimal)
# None: the IEEE 802.15.4 chips of this protocol are set up by their channel alone, and none of
# them is a device with register settings in common.plt, so no register file is shipped here.
