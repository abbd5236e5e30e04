// The Linux reader against the fixture trees of tests/sticks (made by
// make-sysfs-fixtures.sh from published listings of real sticks): what it
// lists for each case, and the state and line that follow.
#include <gtest/gtest.h>

#include <unistd.h>

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

// One line per interface: "KIND class/sub/proto driver name gateway".
std::string Interfaces(const StickDevice& device) {
  static const char* const kKinds[] = {"other", "serial", "network", "storage"};
  std::string out;
  char line[256];
  for (int32_t i = 0; i < device.InterfaceCount; ++i) {
    const StickInterface& part = device.Interfaces[i];
    std::snprintf(line, sizeof line, "%s %02x/%02x/%02x %s %s %s\n", kKinds[part.Kind], part.Class,
                  part.SubClass, part.Protocol, part.Driver[0] ? part.Driver : "-",
                  part.Name[0] ? part.Name : "-", part.Gateway[0] ? part.Gateway : "-");
    out += line;
  }
  return out;
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

TEST(StickSysfs, EveryFixtureCase) {
  const std::string acm = MakeAcmTree();
  struct Case {
    const char* fixture;
    int32_t count;
    uint16_t product;  // of the first stick
    StickState state;
    const char* interfaces;
  };
  const Case cases[] = {
      {"storage", 1, 0x1446, kStickStorageMode, "storage 08/06/50 usb-storage - -\n"},
      {"router", 1, 0x14DC, kStickRouterMode,
       "network 02/06/00 cdc_ether usb0 192.168.8.1\n"
       "other 0a/00/00 cdc_ether - -\n"
       "storage 08/06/50 usb-storage - -\n"},
      {"ports", 1, 0x1001, kStickPortsSilent,
       "serial ff/ff/ff option /dev/ttyUSB0 -\n"
       "serial ff/ff/ff option /dev/ttyUSB1 -\n"
       "serial ff/ff/ff option /dev/ttyUSB2 -\n"
       "storage 08/06/50 usb-storage - -\n"
       "storage 08/06/50 usb-storage - -\n"},
      {"no-driver", 1, 0x1001, kStickNoDriver,
       "serial ff/ff/ff - - -\n"
       "serial ff/ff/ff - - -\n"
       "serial ff/ff/ff - - -\n"
       "storage 08/06/50 usb-storage - -\n"
       "storage 08/06/50 usb-storage - -\n"},
      {"two", 2, 0x1446, kStickStorageMode, "storage 08/06/50 usb-storage - -\n"},
      {acm.c_str(), 1, 0x1506, kStickPortsSilent, "serial 02/02/01 cdc_acm /dev/ttyACM0 -\n"},
      {"no-stick", 0, 0, kStickNoDriver, ""},
      {"no-such-tree", 0, 0, kStickNoDriver, ""},
  };
  for (const Case& c : cases) {
    const StickDeviceList list = ReadFixture(c.fixture);
    ASSERT_EQ(list.Count, c.count) << c.fixture;
    if (c.count == 0) continue;
    const StickDevice& first = list.Devices[0];
    EXPECT_EQ(first.VendorId, kStickVendorId) << c.fixture;
    EXPECT_EQ(first.ProductId, c.product) << c.fixture;
    EXPECT_EQ(first.Problem, 0) << c.fixture;
    EXPECT_EQ(ClassifyStick(first), c.state) << c.fixture;
    EXPECT_EQ(Interfaces(first), c.interfaces) << c.fixture;
  }
  std::filesystem::remove_all(acm);
  const StickDeviceList two = ReadFixture("two");
  EXPECT_EQ(two.Devices[1].ProductId, 0x14DC);
  EXPECT_EQ(ClassifyStick(two.Devices[1]), kStickRouterMode);
}

// Six sticks among 800 other entries (devices and their interfaces),
// plugged in first, in between and last: all are found.
TEST(StickSysfs, SticksAmongManyDevices) {
  const StickDeviceList many = ReadFixture("many");
  ASSERT_EQ(many.Count, 6);
  EXPECT_EQ(ClassifyStick(many.Devices[0]), kStickPortsSilent);
  EXPECT_EQ(ClassifyStick(many.Devices[1]), kStickRouterMode);
  for (int32_t i = 2; i < many.Count; ++i) EXPECT_EQ(ClassifyStick(many.Devices[i]), kStickStorageMode) << i;
}

}  // namespace
