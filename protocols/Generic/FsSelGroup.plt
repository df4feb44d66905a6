# Ready-made field selections.
# SG_INDEX|SG_NAME
SEL_COMPACT|Compact
SEL_LINK   |Link quality
