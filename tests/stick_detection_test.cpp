// The stick detection's portable half: the state of a stick from its
// interfaces, the line the user reads for each state and audience, and what
// the readers take apart (USB classes, setup classes, hardware IDs, the
// routing table).
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "base/bounded_text.h"
#include "sticks/stick_devices.h"
#include "tests/test_support.h"

namespace {

struct Part {
  StickInterfaceKind kind;
  const char* driver;
  const char* name;
  const char* gateway;
};

StickDevice MakeStick(uint16_t product, int32_t problem, std::initializer_list<Part> parts) {
  StickDevice device{};
  device.VendorId = kStickVendorId;
  device.ProductId = product;
  device.Problem = problem;
  for (const Part& part : parts) {
    StickInterface& i = device.Interfaces[device.InterfaceCount++];
    i.Kind = part.kind;
    CopyText(i.Driver, sizeof i.Driver, part.driver);
    CopyText(i.Name, sizeof i.Name, part.name);
    CopyText(i.Gateway, sizeof i.Gateway, part.gateway);
  }
  return device;
}

std::string Describe(const StickDevice& device, StickPortsCheck ports, StickAudience audience) {
  char line[512];
  DescribeStick(device, ports, audience, line, sizeof line);
  return line;
}

// The sticks of every state, as the readers would list them.
const Part kCdRom = {kInterfaceStorage, "usb-storage", "", ""};
const StickDevice kStorage = MakeStick(0x1446, 0, {kCdRom});
const StickDevice kRouter = MakeStick(0x14DC, 0,
                                      {{kInterfaceNetwork, "cdc_ether", "usb0", "192.168.8.1"},
                                       {kInterfaceOther, "cdc_ether", "", ""},
                                       kCdRom});
// (Its adapter's name holds control characters, as a Windows friendly name
// may: the line shows blanks.)
const StickDevice kRouterNoGateway =
    MakeStick(0x14DC, 0, {{kInterfaceNetwork, "cdc_ether", "Ethernet\r\n\t3", ""}});
const StickDevice kPorts = MakeStick(0x1001, 0,
                                     {{kInterfaceSerial, "option", "/dev/ttyUSB0", ""},
                                      {kInterfaceSerial, "option", "/dev/ttyUSB1", ""},
                                      {kInterfaceSerial, "option", "/dev/ttyUSB2", ""},
                                      kCdRom});
const StickDevice kWindowsPorts =
    MakeStick(0x1001, 0, {{kInterfaceSerial, "", "COM5", ""}, {kInterfaceSerial, "", "COM6", ""}, kCdRom});
// Windows: the composite device has no driver (problem 28), nothing below.
const StickDevice kNoDriverWindows = MakeStick(0x1506, 28, {});

// The sticks above are classified by their lines below; these are the
// mixes that only a rule of their own tells apart.
TEST(ClassifyStick, StateFromInterfacesAndProblem) {
  struct Case {
    const char* name;
    StickDevice device;
    StickState state;
  };
  const Case cases[] = {
      // The modem-mode E3372: serial ports and an NCM adapter.
      {"ports beside an adapter",
       MakeStick(0x1506, 0,
                 {{kInterfaceSerial, "option", "/dev/ttyUSB0", ""}, {kInterfaceNetwork, "", "wwan0", ""}}),
       kStickPortsSilent},
      // The diagnostics interface without its driver does not hide the ports.
      {"ports beside a driverless interface",
       MakeStick(0x1001, 28, {{kInterfaceSerial, "", "COM5", ""}, {kInterfaceOther, "", "", ""}}),
       kStickPortsSilent},
      {"problem code beside a CD-ROM", MakeStick(0x1001, 28, {kCdRom}), kStickNoDriver},
      {"unbound network interface", MakeStick(0x14DC, 0, {{kInterfaceNetwork, "", "", ""}}), kStickNoDriver},
      {"no interfaces yet", MakeStick(0x1001, 0, {}), kStickNoDriver},
  };
  for (const Case& c : cases) EXPECT_EQ(ClassifyStick(c.device), c.state) << c.name;
}

// One whole line per state; the other audiences and checks by what their
// line says of the stick and of the ports. The line is cut to its buffer.
TEST(DescribeStick, OneLinePerStateAndWhatTheOthersName) {
  struct Case {
    const StickDevice* device;
    StickPortsCheck ports;
    StickAudience audience;
    const char* line;  // starting with "…": a part of the line
  };
  const Case cases[] = {
      {&kStorage, kPortsNotChecked, kAudienceWindow,
       "Модем 12d1:1446 виден только как CD-ROM / флешка: он не переключён в режим модема. Установите с "
       "этого диска программу модема (один раз)."},
      {&kRouter, kPortsNotChecked, kAudienceWindow,
       "Модем 12d1:14dc с прошивкой роутера: COM-порта нет, только сетевой адаптер. Сведения о модеме на его "
       "веб-странице http://192.168.8.1/."},
      {&kRouterNoGateway, kPortsNotChecked, kAudienceLinuxCli,
       "…adapter (Ethernet   3), which has no gateway"},
      {&kPorts, kPortsHeld, kAudienceLinuxCli,
       "stick 12d1:1001 has ports /dev/ttyUSB0, /dev/ttyUSB1, /dev/ttyUSB2 but none answered: another "
       "program holds them (ModemManager often does: stop it, or tell it to leave them alone)"},
      {&kPorts, kPortsFree, kAudienceLinuxCli, "…answered: the stick may still be starting"},
      {&kWindowsPorts, kPortsHeld, kAudienceWindowsCli,
       "…ports COM5, COM6 but none answered: another program holds them (close"},
      {&kNoDriverWindows, kPortsNotChecked, kAudienceWindow,
       "Модем 12d1:1506 найден, но у него нет работающего драйвера (код ошибки 28 в диспетчере устройств)."},
  };
  for (const Case& c : cases) {
    const std::string line = Describe(*c.device, c.ports, c.audience), want = c.line;
    if (want.rfind("…", 0) == 0)
      EXPECT_NE(line.find(want.substr(std::strlen("…"))), std::string::npos) << line;
    else
      EXPECT_EQ(line, want);
  }
  char line[20];
  std::memset(line, 'x', sizeof line);
  EXPECT_EQ(DescribeStick(kPorts, kPortsFree, kAudienceLinuxCli, line, sizeof line), 19u);
  EXPECT_STREQ(line, "stick 12d1:1001 has");
  DescribeNoStick(kAudienceLinuxCli, line, sizeof line);
  EXPECT_STREQ(line, "no modem stick foun");
}

TEST(StickSources, UsbAndSetupClassesAndHardwareIds) {
  struct UsbCase {
    uint8_t c, s, p;
    StickInterfaceKind kind;
  };
  // (The storage, vendor, CDC Ethernet and data classes: the sysfs fixtures.)
  const UsbCase usb[] = {{0xE0, 0x01, 0x03, kInterfaceNetwork},
                         {0x02, 0x02, 0x01, kInterfaceSerial},
                         {0xE0, 0x01, 0x01, kInterfaceOther}};
  for (const UsbCase& c : usb) EXPECT_EQ(KindFromUsbClass(c.c, c.s, c.p), c.kind) << +c.c << "/" << +c.s;

  struct SetupCase {
    const char* setupClass;
    StickInterfaceKind kind;
  };
  const SetupCase setup[] = {{"Ports", kInterfaceSerial},  {"NET", kInterfaceNetwork},
                             {"CDROM", kInterfaceStorage}, {"DiskDrive", kInterfaceStorage},
                             {"USB", kInterfaceOther},     {"Network", kInterfaceOther}};
  for (const SetupCase& c : setup) EXPECT_EQ(KindFromSetupClass(c.setupClass), c.kind) << c.setupClass;

  struct IdCase {
    const char* id;
    bool parsed;
    uint16_t vendor, product;
    int32_t interfaceNumber;
  };
  const IdCase ids[] = {
      {"USB\\VID_12D1&PID_1001&MI_02", true, 0x12D1, 0x1001, 2},
      {"USB\\VID_12D1&PID_1001&REV_0000&MI_00", true, 0x12D1, 0x1001, 0},
      {"USB\\VID_12D1&PID_14DC\\0123456789ABCDEF", true, 0x12D1, 0x14DC, -1},
      {"usb\\vid_12d1&pid_1446", true, 0x12D1, 0x1446, -1},
      {"USB\\VID_12D1&PID_1F01&MI_0A", true, 0x12D1, 0x1F01, 10},
      {"USBSTOR\\CdRom&Ven_Vendor&Prod_Mass_Storage&Rev_2.31", false, 0, 0, 0},
      {"USB\\VID_12D1", false, 0, 0, 0},
      {"USB\\VID_12D1&PID_10", false, 0, 0, 0},
      {"USB\\VID_XYZW&PID_1001", false, 0, 0, 0},
  };
  for (const IdCase& c : ids) {
    uint16_t vendor = 0, product = 0;
    int32_t interfaceNumber = 99;
    ASSERT_EQ(ParseUsbHardwareId(c.id, &vendor, &product, &interfaceNumber), c.parsed) << c.id;
    if (!c.parsed) continue;
    EXPECT_EQ(vendor, c.vendor) << c.id;
    EXPECT_EQ(product, c.product) << c.id;
    EXPECT_EQ(interfaceNumber, c.interfaceNumber) << c.id;
  }
}

// Device nodes of the vendor's sticks in each state in SetupAPI's order (the
// USB device, its interfaces, the drives of its storage interface and their
// volumes), and what the stick's line then names.
TEST(AddStickNode, WindowsListingsOfEachState) {
  struct Case {
    const char* what;
    const char* nodes;  // "class,service,port or adapter,gateway,problem|..."
    StickState state;
    const char* named;  // "#problem name@gateway ..."
  };
  const Case cases[] = {
      {"CD-ROM mode", "USB,USBSTOR|CDROM,cdrom", kStickStorageMode, ""},
      {"the USB node bound to USBSTOR, no drive below it", "USB,USBSTOR", kStickStorageMode, ""},
      {"CD-ROM mode with a card in the reader",
       "USB,usbccgp|USB,USBSTOR|CDROM,cdrom|DiskDrive,disk|Volume,volume", kStickStorageMode, ""},
      {"modem mode",
       "USB,usbccgp|Modem,usbmodem,COM4|Ports,usbserial,COM5|Ports,usbserial,COM6|USB,USBSTOR|CDROM,cdrom|"
       "DiskDrive,disk|Volume,volume",
       kStickPortsSilent, "COM4 COM5 COM6"},
      {"router firmware", "USB,usbccgp|Net,rndis,Ethernet 3,192.168.8.1|USB,USBSTOR|DiskDrive,disk",
       kStickRouterMode, "Ethernet 3@192.168.8.1"},
      {"interfaces without their driver", "USB,usbccgp|,,,,28|,,,,28|,,,,28|USB,USBSTOR|CDROM,cdrom",
       kStickNoDriver, "#28"},
      {"no driver for the whole stick", "USB,,,,28", kStickNoDriver, "#28"},
      {"a port beside a driverless interface", "USB,usbccgp|,,,,28|Ports,usbserial,COM5", kStickPortsSilent,
       "#28 COM5"},
  };
  for (const Case& c : cases) {
    StickDevice device{};
    for (const std::string& text : Parts(c.nodes)) {
      std::istringstream fields(text);
      std::string field[5];
      for (std::string& f : field) std::getline(fields, f, ',');
      StickNode node{};
      CopyText(node.SetupClass, sizeof node.SetupClass, field[0].c_str());
      CopyText(node.Service, sizeof node.Service, field[1].c_str());
      CopyText(node.PortName, sizeof node.PortName, field[2].c_str());
      CopyText(node.AdapterName, sizeof node.AdapterName, field[2].c_str());
      CopyText(node.Gateway, sizeof node.Gateway, field[3].c_str());
      node.Problem = std::atoi(field[4].c_str());
      AddStickNode(node, &device);
    }
    std::string named = device.Problem != 0 ? "#" + std::to_string(device.Problem) : "";
    for (int32_t i = 0; i < device.InterfaceCount; ++i) {
      const StickInterface& part = device.Interfaces[i];
      if (part.Name[0] != '\0') named += (named.empty() ? "" : " ") + std::string(part.Name);
      if (part.Gateway[0] != '\0') named += "@" + std::string(part.Gateway);
    }
    EXPECT_EQ(ClassifyStick(device), c.state) << c.what;
    EXPECT_EQ(named, c.named) << c.what;
  }
}

TEST(StickSources, GatewayFromTheRoutingTable) {
  const char* const table =
      "Iface\tDestination\tGateway \tFlags\tRefCnt\tUse\tMetric\tMask\t\tMTU\tWindow\tIRTT\n"
      "eth0\t00000000\t0100000A\t0003\t0\t0\t100\t00000000\t0\t0\t0\n"
      "usb0\t0008A8C0\t00000000\t0001\t0\t0\t700\t00FFFFFF\t0\t0\t0\n"
      "usb1\t0064A8C0\t0164A8C0\t0003\t0\t0\t0\t00FFFFFF\t0\t0\t0\n"
      "usb1\t00000000\t0101A8C0\t0003\t0\t0\t700\t00000000\t0\t0\t0\n"
      "usb0\t00000000\t0108A8C0\t0003\t0\t0\t700\t00000000\t0\t0\t0\n"
      "usb2\t00000000\t0108A8\t0003\t0\t0\t700\t00000000\t0\t0\t0";
  struct Case {
    const char* name;
    bool found;
    const char* gateway;
  };
  const Case cases[] = {
      {"usb0", true, "192.168.8.1"},  // past its own subnet route
      {"eth0", true, "10.0.0.1"},
      {"usb1", true, "192.168.1.1"},  // the default route wins
      {"usb", false, ""},             // whole names only
      {"usb2", false, ""},            // a cut address
      {"wwan0", false, ""},
  };
  for (const Case& c : cases) {
    char gateway[kStickNameSize] = "";
    EXPECT_EQ(GatewayFromRouteTable(table, c.name, gateway, sizeof gateway), c.found) << c.name;
    if (c.found) {
      EXPECT_STREQ(gateway, c.gateway) << c.name;
    }
  }
}

}  // namespace
