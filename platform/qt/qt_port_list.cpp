#include "platform/port_list.h"

#include <QSerialPortInfo>
#include <algorithm>

namespace cv2 {

std::vector<PortEntry> AvailablePorts() {
    std::vector<PortEntry> ports;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        PortEntry p;
        p.path = info.systemLocation().toStdString();
        p.stableName = StableName(p.path);
        p.description = info.description().toStdString();
        p.manufacturer = info.manufacturer().toStdString();
        if (info.hasVendorIdentifier()) p.vendorId = info.vendorIdentifier();
        if (info.hasProductIdentifier()) p.productId = info.productIdentifier();
        p.access = AccessOf(p.path);
        ports.push_back(std::move(p));
    }
    // The interface just plugged in is a USB device: those come first.
    std::stable_sort(ports.begin(), ports.end(), [](const PortEntry& a, const PortEntry& b) {
        return a.vendorId.has_value() > b.vendorId.has_value();
    });
    return ports;
}

}  // namespace cv2
