# Filter templates that go with a field's own one. A template that begins with the field's own
# short name replaces the field's template.
# SHORTNAME|DEPENDENT_TEMPLATE
RSS|FCS=OK
LQI|FCS=OK
FCS|FCS=ERR
DST|DPA=x
TX |TX=
