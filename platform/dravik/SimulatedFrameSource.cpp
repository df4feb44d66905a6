#include "platform/dravik/SimulatedFrameSource.h"

SimulatedFrameSource::~SimulatedFrameSource() = default;
