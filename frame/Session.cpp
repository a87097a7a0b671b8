#include "frame/Session.h"

#include "xml/XmlDocument.h"

namespace tmq {

Session::Session() = default;
Session::~Session() = default;
Session::Session(Session&&) noexcept = default;
Session& Session::operator=(Session&&) noexcept = default;

} // namespace tmq
