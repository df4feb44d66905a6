# Columns of an address-book entry: 30 bytes of node name, then 11 of "0x%8.8X" address.
# ITEM_NAME|MAX_CHAR|COLUMN_WIDTH|CTRL_TYPE|CTRL_LABEL
Node name|30|150|CTRL_EDIT|Name:
Address  |11|110|CTRL_EDIT|Address (0x...):
