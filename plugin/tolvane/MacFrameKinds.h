#pragma once

// The values of the 802.15.4 frame control's type and addressing-mode fields, and the MAC
// command ids.

enum MacFrameType { kBeacon = 0, kData = 1, kAcknowledgement = 2, kCommand = 3 };

enum MacAddressingMode { kNoAddress = 0, kShortAddress = 2, kExtendedAddress = 3 };

enum MacCommand {
    kAssociationRequest = 1,
    kAssociationResponse = 2,
    kDisassociationNotification = 3,
    kDataRequest = 4,
    kPanIdConflict = 5,
    kOrphanNotification = 6,
    kBeaconRequest = 7,
    kCoordinatorRealignment = 8,
    kGtsRequest = 9,
};
