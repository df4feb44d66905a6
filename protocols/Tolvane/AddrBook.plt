# Columns of an address-book entry, in the plug-in's node-text layout: 30 bytes of node name,
# 8 of PAN id and 8 of short address ("0x" and 4 hexadecimal digits), 19 of extended address
# ("0x" and 16 hexadecimal digits).
# ITEM_NAME|MAX_CHAR|COLUMN_WIDTH|CTRL_TYPE|CTRL_LABEL
Node name       |30|150|CTRL_EDIT|Name:
PAN id          |8 |105|CTRL_EDIT|PAN id (0x...):
Short address   |8 |125|CTRL_EDIT|Short addr. (0x...):
Extended address|19|150|CTRL_EDIT|Ext. addr. (0x...):
