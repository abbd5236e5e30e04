// What a stick that did not answer is doing, and the line that tells the
// user: the state from the device list the platform readers fill, the texts
// as one table (English for the command-line tool, Russian for the window).
#include <cstdio>
#include <cstring>

#include "base/bounded_text.h"
#include "sticks/stick_devices.h"

namespace {

// An interface counts as working when the system bound a driver to it or
// shows a port or network interface behind it (Windows names the port but
// not always the driver).
bool InterfaceWorks(const StickInterface& i) { return i.Driver[0] != '\0' || i.Name[0] != '\0'; }

bool HasWorking(const StickDevice& device, StickInterfaceKind kind) {
  for (int32_t i = 0; i < device.InterfaceCount && i < kMaxStickInterfaces; ++i)
    if (device.Interfaces[i].Kind == kind && InterfaceWorks(device.Interfaces[i])) return true;
  return false;
}

// The names of the stick's interfaces of one kind, ", " between them.
void JoinNames(const StickDevice& device, StickInterfaceKind kind, char* out, size_t outSize) {
  size_t length = CopyText(out, outSize, "");
  for (int32_t i = 0; i < device.InterfaceCount && i < kMaxStickInterfaces; ++i) {
    const StickInterface& part = device.Interfaces[i];
    if (part.Kind != kind || part.Name[0] == '\0') continue;
    if (length != 0) length += CopyText(out + length, outSize - length, ", ");
    length += CopyText(out + length, outSize - length, part.Name);
  }
}

// Every text by state and audience. %1 is always the stick ("12d1:1446"),
// %2 what the state names: the ports, the adapter with its address, the
// problem code, the hint for silent ports.
struct StickText {
  StickAudience audience;
  const char* storage;
  const char* router;           // stick, web page
  const char* routerNoGateway;  // stick, adapter name
  const char* portsSilent;      // stick, ports, hint
  const char* noDriver;         // stick (the system gave no problem code)
  const char* noDriverCode;     // stick, problem code
  const char* portsHeld;        // the hints for silent ports
  const char* portsFree;
  const char* portsNotChecked;
  const char* noStick;
};

constexpr StickText kStickTexts[] = {
    {kAudienceLinuxCli,
     "stick %s shows only its built-in CD-ROM / flash drive: it has not been switched to modem mode "
     "(usb_modeswitch, package usb-modeswitch, switches it)",
     "stick %s runs router firmware: no serial port, only a network adapter; its information is on its web "
     "page %s",
     "stick %s runs router firmware: no serial port, only a network adapter (%s), which has no gateway yet",
     "stick %s has ports %s but none answered: %s",
     "stick %s has no working driver (no kernel driver is bound to its interfaces)",
     "stick %s has no working driver (problem code %d)",
     "another program holds them (ModemManager often does: stop it, or tell it to leave them alone)",
     "the stick may still be starting: wait a few seconds",
     "ModemManager may hold them (stop it), or the stick may still be starting: wait a few seconds",
     "no modem stick found: is it plugged in?"},
    {kAudienceWindowsCli,
     "stick %s shows only its built-in CD-ROM / flash drive: it has not been switched to modem mode "
     "(install the stick's own software from that drive once)",
     "stick %s runs router firmware: no serial port, only a network adapter; its information is on its web "
     "page %s",
     "stick %s runs router firmware: no serial port, only a network adapter (%s), which has no gateway yet",
     "stick %s has ports %s but none answered: %s", "stick %s has no working driver",
     "stick %s has no working driver (problem code %d in Device Manager)",
     "another program holds them (close the stick's own connection software)",
     "the stick may still be starting: wait a few seconds",
     "the stick's own connection software may hold them (close it), or the stick may still be starting: "
     "wait a few seconds",
     "no modem stick found: is it plugged in?"},
    {kAudienceWindow,
     "Модем %s виден только как CD-ROM / флешка: он не переключён в режим модема. Установите с этого "
     "диска программу модема (один раз).",
     "Модем %s с прошивкой роутера: COM-порта нет, только сетевой адаптер. Сведения о модеме на его "
     "веб-странице %s.",
     "Модем %s с прошивкой роутера: COM-порта нет, только сетевой адаптер (%s), у которого пока нет "
     "адреса шлюза.",
     "Модем %s: порты %s есть, но ни один не ответил. %s",
     "Модем %s найден, но у него нет работающего драйвера.",
     "Модем %s найден, но у него нет работающего драйвера (код ошибки %d в диспетчере устройств).",
     "Их занимает другая программа: закройте программу подключения модема.",
     "Модем, возможно, ещё запускается: подождите несколько секунд.",
     "Их может занимать программа подключения модема (закройте её), или модем ещё запускается: подождите "
     "несколько секунд.",
     "Модем не найден: он подключён?"},
};

const StickText& TextsFor(StickAudience audience) {
  for (const StickText& texts : kStickTexts)
    if (texts.audience == audience) return texts;
  return kStickTexts[0];
}

// snprintf's result as the length actually written. The names in a line
// come from the system (an adapter's name is the user's to choose): a
// control character among them becomes a blank, so that the line stays one
// line.
size_t Written(char* out, int result, size_t outSize) {
  if (result < 0 || outSize == 0) return 0;
  const size_t length = static_cast<size_t>(result) < outSize ? static_cast<size_t>(result) : outSize - 1;
  for (size_t i = 0; i < length; ++i)
    if (static_cast<unsigned char>(out[i]) < 0x20) out[i] = ' ';
  return length;
}

}  // namespace

StickState ClassifyStick(const StickDevice& device) {
  // Ports first: a stick whose modem ports work is explained by them even
  // when a side interface (the diagnostics port, a card reader) lacks its
  // driver.
  if (HasWorking(device, kInterfaceSerial)) return kStickPortsSilent;
  if (HasWorking(device, kInterfaceNetwork)) return kStickRouterMode;
  if (device.Problem != 0 || device.InterfaceCount <= 0) return kStickNoDriver;
  for (int32_t i = 0; i < device.InterfaceCount && i < kMaxStickInterfaces; ++i)
    if (device.Interfaces[i].Kind != kInterfaceStorage) return kStickNoDriver;
  return kStickStorageMode;
}

bool StickWebPage(const StickDevice& device, char* out, size_t outSize) {
  for (int32_t i = 0; i < device.InterfaceCount && i < kMaxStickInterfaces; ++i) {
    const StickInterface& part = device.Interfaces[i];
    if (part.Kind != kInterfaceNetwork || part.Gateway[0] == '\0') continue;
    const int written = std::snprintf(out, outSize, "http://%s/", part.Gateway);
    return written > 0 && static_cast<size_t>(written) < outSize;
  }
  if (outSize != 0) out[0] = '\0';
  return false;
}

size_t DescribeStick(const StickDevice& device, StickPortsCheck ports, StickAudience audience, char* out,
                     size_t outSize) {
  const StickText& texts = TextsFor(audience);
  char stick[16];
  std::snprintf(stick, sizeof stick, "%04x:%04x", device.VendorId, device.ProductId);
  char detail[kStickNameSize * kMaxStickInterfaces];
  switch (ClassifyStick(device)) {
    case kStickStorageMode: return Written(out, std::snprintf(out, outSize, texts.storage, stick), outSize);
    case kStickRouterMode:
      if (StickWebPage(device, detail, sizeof detail))
        return Written(out, std::snprintf(out, outSize, texts.router, stick, detail), outSize);
      JoinNames(device, kInterfaceNetwork, detail, sizeof detail);
      return Written(out, std::snprintf(out, outSize, texts.routerNoGateway, stick, detail), outSize);
    case kStickPortsSilent: {
      JoinNames(device, kInterfaceSerial, detail, sizeof detail);
      const char* hint = ports == kPortsHeld   ? texts.portsHeld
                         : ports == kPortsFree ? texts.portsFree
                                               : texts.portsNotChecked;
      return Written(out, std::snprintf(out, outSize, texts.portsSilent, stick, detail, hint), outSize);
    }
    case kStickNoDriver:
    default:
      if (device.Problem == 0)
        return Written(out, std::snprintf(out, outSize, texts.noDriver, stick), outSize);
      return Written(out,
                     std::snprintf(out, outSize, texts.noDriverCode, stick, static_cast<int>(device.Problem)),
                     outSize);
  }
}

size_t DescribeNoStick(StickAudience audience, char* out, size_t outSize) {
  return CopyText(out, outSize, TextsFor(audience).noStick);
}
