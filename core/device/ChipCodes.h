#pragma once

// Chip sets by 16-bit chip code ("QZ" + hexadecimal model digits).

// Radio transceivers without a processor of their own: the capture firmware runs on the board.
bool IsTransceiverChip(int chipCode);
