#pragma once

// Chip codes: a chip name is "QZ" followed by its code in hexadecimal ("QZ6F1C" is 0x6F1C).
// The chip sets are defined here once for the main program and the plug-ins.

// The code of a chip name's model characters (the text after "QZ"), read as hexadecimal
// like "%x"; "3A0" and "3A3" (as in QZ3A0V, QZ3A3V) have codes of their own. 0 without digits.
int ChipIdFromDeviceType(const char* modelText);

// Chips with a USB port of their own, which are the capture device unless they sit on a
// Kestrix board (board type 5).
bool IsUsbDongleChip(int chipCode, int boardType);

// Radio transceivers without a processor of their own: the capture firmware runs on the board.
bool IsTransceiverChip(int chipCode);
