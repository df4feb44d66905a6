 *|*|A|12
 *|Fuzz.plt|B|0x10
# c
 Fuzz.plt|M|C|2147483647
%%
x|1|0x1|A|TRUE
x|1|0x1|B|TRUE
x|1|0x1|C|TRUE
