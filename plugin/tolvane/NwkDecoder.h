#pragma once

#include <cstdint>

#include "plugin/frame/ParsedData.h"
#include "plugin/tolvane/FrameFieldWriter.h"

class FieldAppender;

// Reads the payload of an unsecured data frame as a network-layer frame: its header and,
// for unsecured commands, the command and its parameters. Secured frames are shown, never
// deciphered. Reads only inside the payload it is given.
class NwkDecoder {
public:
    NwkDecoder(FieldAppender& appender, PARSED_DATA& out, const uint8_t* payload, int length);

    // Appends the network fields and sets frame class 4.
    void DecodeNwkFrame();

    // The command at pos; returns the bytes it took, its id included.
    int DecodeNwkCommand(int pos);

    // One row of the command table: the parameter reader returns the position after what it read.
    using ParameterReader = int (NwkDecoder::*)(int pos);
    struct Command {
        const char* name;
        ParameterReader reader; // nullptr: the command has no parameters
    };

private:
    int ParseNodeCapabilities(int pos);
    int ParseVendorInfo(int pos);
    int ParseAppCapabilities(int pos);
    // Node capabilities, vendor information and application capabilities, as several commands carry them.
    int ParseNodeDescription(int pos);
    int ParseDiscoveryRequest(int pos);
    int ParseDiscoveryResponse(int pos);
    int ParsePairRequest(int pos);
    int ParsePairResponse(int pos);
    int ParseUnpairRequest(int pos);
    int ParseKeySeed(int pos);
    int ParsePing(int pos);

    static const Command kCommands[9];

    PARSED_DATA& out_;
    FrameFieldWriter writer_;
};
