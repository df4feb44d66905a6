Protocol_name=X
[a=b]
=x
[]
[Protocol_versions]
  
V
[Firmware]
0x6F1C::USART0=a
0x=b
0x12::zzzzz7=c
ZZ1=[x]
