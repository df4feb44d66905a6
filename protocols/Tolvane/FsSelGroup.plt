# Ready-made field selections.
# SG_INDEX|SG_NAME
SEL_COMPACT   |Compact
SEL_ADDRESSING|MAC addressing
SEL_NETWORK   |Network layer
SEL_LINK      |Link quality
