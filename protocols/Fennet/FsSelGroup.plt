# Ready-made field selections.
# SG_INDEX|SG_NAME
SEL_COMPACT|Compact
SEL_HEADER |Network header
SEL_APPL   |Application
SEL_LINK   |Link quality
