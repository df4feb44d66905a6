#pragma once

#include <cstdint>

// The plug-in's fields in id order: the id of each is its position, and the main program
// knows them by these names (GetFieldIndexTable), so the order is part of the interface.
#define TOLVANE_FIELDS(X)                                                                    \
    X(FI_PACKET_NBR) X(FI_TIMESTAMP_US) X(FI_TIMESTAMP_MS) X(FI_LENGTH) X(FI_FRM_CTR_FIELD)  \
    X(FI_SEQ_NUMBER) X(FI_DEST_PANID) X(FI_DEST_ADDR) X(FI_SRC_PANID) X(FI_SRC_ADDR)         \
    X(FI_SECURITY_CONTROL) X(FI_FRAME_COUNTER) X(FI_KEY_IDENTIFIER) X(FI_ENC_MAC_BEACON)     \
    X(FI_ENC_MAC_DATA) X(FI_ENC_MAC_CMD) X(FI_ENC_MAC_BEACON_N) X(FI_ENC_MAC_DATA_N)         \
    X(FI_ENC_MAC_CMD_N) X(FI_SUPERFRAME) X(FI_GTS_FIELD_X) X(FI_GTS_FIELD_T)                 \
    X(FI_PENDING_ADDR) X(FI_BEACON_PAYLOAD_X) X(FI_BEACON_PAYLOAD_T) X(FI_MAC_PAYLOAD_X)     \
    X(FI_MAC_PAYLOAD_T) X(FI_MAC_NEG_PAYL_X) X(FI_MAC_NEG_PAYL_T) X(FI_CMD_ASSOC_REQ)        \
    X(FI_CMD_ASSOC_RES) X(FI_CMD_DISASSOC_NOT) X(FI_CMD_DATA_REQ) X(FI_CMD_PAN_CONFLICT)     \
    X(FI_CMD_ORPHAN_NOT) X(FI_CMD_BEACON_REQ) X(FI_CMD_CRD_REALIGN1) X(FI_CMD_CRD_REALIGN2)  \
    X(FI_CMD_GTS_REQ) X(FI_CMD_UNKNOWN) X(FI_LQI) X(FI_RSSI) X(FI_FCS) X(FI_BUF_OVERFLOW)    \
    X(FI_PACKET_NBR_TX) X(FI_NWK_FCF) X(FI_NWK_COUNTER) X(FI_NWK_PID) X(FI_NWK_VID)          \
    X(FI_NWK_CMD) X(FI_NWK_NODECAP) X(FI_NWK_VENDSTR) X(FI_NWK_APPCAP) X(FI_NWK_USERSTR)     \
    X(FI_NWK_DTLIST) X(FI_NWK_PIDLIST) X(FI_NWK_REQDEVT) X(FI_NWK_RESP_STATUS)               \
    X(FI_NWK_DR_LQI) X(FI_NWK_ADDR) X(FI_NWK_KEYEXCH_TCNT) X(FI_NWK_ALLOC_ADDR)              \
    X(FI_NWK_SEED_SEQNO) X(FI_NWK_PING_OPT) X(FI_NWK_NFR_FIELDS) X(FI_NWK_PAYLOAD)           \
    X(FI_NWK_ENC_PAYLOAD)

#define TOLVANE_FIELD_ENUMERATOR(name) name,
enum TolvaneField : int32_t { TOLVANE_FIELDS(TOLVANE_FIELD_ENUMERATOR) kTolvaneFieldCount };
#undef TOLVANE_FIELD_ENUMERATOR

static_assert(kTolvaneFieldCount == 67);
static_assert(FI_FCS == 42 && FI_PACKET_NBR_TX == 44 && FI_NWK_ENC_PAYLOAD == 66);

// The field names by id, ended by a null pointer.
extern const char* const kTolvaneFieldNames[kTolvaneFieldCount + 1];
