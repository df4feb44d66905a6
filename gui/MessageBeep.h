#pragma once

// The refusal sound of a window command; counted, so tests can tell a refusal happened.
void MessageBeep();
int MessageBeepCount();
