abc|12|0x1F|ONE|TRUE|narrow field text|wide
# comment
$!RF_DEVICE=QZ3A5C

  a \| b |65535|0XFF|HEXED|FALSE|\  lead|x\ny
|70000|x|ONLY_M|||
