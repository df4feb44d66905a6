# Filter templates that go with a field's own one.
# SHORTNAME|DEPENDENT_TEMPLATE
RSS|CRC=OK
LQI|CRC=OK
CRC|CRC=ERR
PL |LEN=x
DST|SRC=x
