#pragma once

#include <cstdint>

// Field ids of the Fennet decoder; the protocol tables give each its name and colours.
enum FennetField : int32_t {
    FF_PACKET_NUMBER = 0,
    FF_TIME_US = 1,
    FF_TIME_MS = 2,
    FF_LENGTH = 3,
    FF_DESTINATION = 4,
    FF_SOURCE = 5,
    FF_PORT = 6,
    FF_DEVICE_INFO = 7,
    FF_TRANSACTION_ID = 8,
    FF_PAYLOAD_HEX = 9,
    FF_PAYLOAD_TEXT = 10,
    // Protocol version 0.
    FF_V0_PORT1 = 11,
    FF_V0_LINK_REQUEST = 12,
    FF_V0_LINK_REPLY = 13,
    FF_V0_JOIN_REQUEST = 14,
    FF_V0_JOIN_REPLY = 15,
    FF_V0_SECURITY = 16,
    FF_V0_FREQUENCY = 17,
    FF_V0_MANAGEMENT = 18,
    FF_USER_PORT = 19, // port 0 or 7 to 31
    FF_LQI = 20,
    FF_RSSI = 21,
    FF_CRC = 22,
    FF_MAC_HEADER = 24, // 802.15.4 frame control and sequence number
    // Protocol version 1.
    FF_V1_PORT1 = 25,
    FF_V1_LINK_REQUEST = 26,
    FF_V1_LINK_REPLY = 27,
    FF_V1_JOIN_REQUEST = 28,
    FF_V1_JOIN_REPLY = 29,
    FF_V1_SECURITY = 30,
    FF_V1_CHANGE_CHANNEL = 31,
    FF_V1_ECHO = 32,
    FF_V1_CHANGE_CHANNEL_REQUEST = 33, // also any unknown frequency command
    FF_V1_MANAGEMENT = 34,
    FF_HIGH_PORT = 35, // port above 31
    // Later protocol versions.
    FF_PORT1 = 36,      // 37 when bit 7 of the first payload byte is set
    FF_LINK_REQUEST = 38,
    FF_LINK_REPLY = 39,
    FF_JOIN_REQUEST = 40,
    FF_JOIN_REPLY = 41,
    FF_SECURITY = 42,
    FF_CHANGE_CHANNEL = 43,
    FF_ECHO_REQUEST = 44,
    FF_ECHO_REPLY = 45,
    FF_CHANGE_CHANNEL_REQUEST = 46,
    FF_MANAGEMENT = 47,
    // Protocol version 3 header.
    FF_V3_PORT = 48,
    FF_V3_DEVICE_INFO = 49,
    FF_V3_SECURITY_BYTES = 52,
    // Payload of a flagged frame: hex and text for port 1 at 53/54, up to port 6 at 63/64.
    FF_FLAGGED_PAYLOAD_HEX = 53,
    FF_LINK_REQUEST_2 = 65,
    FF_LINK_REPLY_2 = 66,
    FF_UNKNOWN_LINK_COMMAND = 67,
};
