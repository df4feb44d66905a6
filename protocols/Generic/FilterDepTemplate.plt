# Filter templates that go with a field's own one.
# SHORTNAME|DEPENDENT_TEMPLATE
RSS|CRC=OK
PL |LEN=x
CRC|CRC=ERR
