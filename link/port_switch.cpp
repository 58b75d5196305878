#include "link/port_switch.h"

#include "link/tcp_address.h"

namespace cv2 {

PortSwitch::PortSwitch(SerialControl& serial, TcpSocket* socket, const Clock& clock,
                       EventPump& events)
    : serial_(serial),
      tcp_(socket ? std::make_unique<TcpTransport>(*socket, clock, events) : nullptr),
      port_(&serial) {}

void PortSwitch::SetCommPort(const std::string& portName) {
    if (!port_->PortOpen()) port_ = tcp_ && IsTcpPortText(portName) ? tcp_.get() : &serial_;
    port_->SetCommPort(portName);
}

void PortSwitch::SetOnComm(std::function<void(int)> handler) {
    if (tcp_) tcp_->SetOnComm(handler);
    serial_.SetOnComm(std::move(handler));
}

}  // namespace cv2
