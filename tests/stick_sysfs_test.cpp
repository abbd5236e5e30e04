// The Linux reader against the fixture trees of tests/sticks (made by
// make-sysfs-fixtures.sh from published listings of real sticks): what it
// lists for each case, and the state that follows.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "sticks/stick_devices.h"

namespace {

StickDeviceList ReadFixture(const char* name) {
  const std::string root = name[0] == '/' ? name : std::string(STICK_FIXTURE_DIR) + "/" + name;
  StickDeviceList list;
  ReadStickDevicesUnder((root + "/sys").c_str(), (root + "/proc/net/route").c_str(), &list);
  return list;
}

// A stick whose port cdc_acm made: its ttyACM port sits in the interface's
// "tty" folder. Made here, in a folder of the test's own.
std::string MakeAcmTree() {
  namespace fs = std::filesystem;
  const fs::path root = fs::temp_directory_path() / ("sysfs-acm-" + std::to_string(getpid()));
  const fs::path device = root / "sys/bus/usb/devices/1-2";
  fs::create_directories(device / "1-2:1.0/tty/ttyACM0");
  for (const auto& [file, text] : {std::pair{"idVendor", "12d1"},
                                   {"idProduct", "1506"},
                                   {"1-2:1.0/bInterfaceClass", "02"},
                                   {"1-2:1.0/bInterfaceSubClass", "02"},
                                   {"1-2:1.0/bInterfaceProtocol", "01"}})
    std::ofstream(device / file) << text << "\n";
  fs::create_directory_symlink("../../../bus/usb/drivers/cdc_acm", device / "1-2:1.0/driver");
  return root.string();
}

// Each case: the first stick's product and every stick's state in order;
// the port of a cdc_acm stick. The diagnosis lines of the other
// fixtures (states, ports, gateways) are checked end to end
// (stick_diagnosis_e2e.sh). "many" has six sticks among 800 other entries
// (devices and their interfaces), plugged in first, in between and last.
TEST(StickSysfs, EveryFixtureCase) {
  const std::string acm = MakeAcmTree();
  const char* const kStates[] = {"no-driver", "storage", "router", "ports"};
  struct Case {
    const char* fixture;
    uint16_t product;  // of the first stick
    const char* states;
  };
  const Case cases[] = {
      {"storage", 0x1446, "storage "},
      {"router", 0x14DC, "router "},
      {"ports", 0x1001, "ports "},
      {"no-driver", 0x1001, "no-driver "},
      {"two", 0x1446, "storage router "},
      {"many", 0x1001, "ports router storage storage storage storage "},
      {acm.c_str(), 0x1506, "ports "},
      {"no-stick", 0, ""},
      {"no-such-tree", 0, ""},
  };
  for (const Case& c : cases) {
    const StickDeviceList list = ReadFixture(c.fixture);
    std::string states;
    for (int32_t i = 0; i < list.Count; ++i) {
      states += kStates[ClassifyStick(list.Devices[i])] + std::string(" ");
      EXPECT_EQ(list.Devices[i].VendorId, kStickVendorId) << c.fixture << i;
      EXPECT_EQ(list.Devices[i].Problem, 0) << c.fixture << i;
    }
    EXPECT_EQ(states, c.states) << c.fixture;
    if (list.Count == 0) continue;
    EXPECT_EQ(list.Devices[0].ProductId, c.product) << c.fixture;
    if (c.fixture == acm) {
      const StickInterface& port = list.Devices[0].Interfaces[0];
      char seen[256];
      std::snprintf(seen, sizeof seen, "%02x/%02x/%02x %s %s", port.Class, port.SubClass, port.Protocol,
                    port.Driver, port.Name);
      EXPECT_STREQ(seen, "02/02/01 cdc_acm /dev/ttyACM0");
    }
  }
  std::filesystem::remove_all(acm);
}

}  // namespace
