#include "platform/dravik/DravikPipe.h"

DravikPipe::~DravikPipe() = default;

int DravikPipe::Read(uint8_t*, int, int* received, int)
{
    if (received != nullptr)
        *received = 0;
    return -1;
}
