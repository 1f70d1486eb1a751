#include "link/port_discovery.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "core/files.h"
#include "link/port_com.h"
#include "link/port_devices.h"
#include "link/port_registry.h"
#include "link/port_search.h"
#include "link/serial_access.h"
#include "platform/fake/fake_serial_enumerator.h"
#include "platform/fake/fake_sys_io.h"
#include "platform/fake/fakes.h"
#include "platform/posix/libserialport_enumerator.h"
#include "platform/unique_fd.h"
#include "tests/core/temp_dir.h"
#include "tests/link/fake_link.h"

namespace velmora::link {
namespace {

using platform::FakeSerialEnumerator;
using platform::SerialTransport;

std::vector<std::string> Lines(const PortListing& listing) {
  return listing.selector.lines;
}

std::string FileText(const std::string& path) {
  std::string text;
  return core::ReadWholeFile(path, text) ? text : std::string("<missing>");
}

// One installation's bin folder with its port registry.
struct PortRig {
  test::TempDir dir;
  std::string registry = PortRegistryPath(dir.Path());
  std::string port_com = dir.File("PortCom.ini");
  FakeSerialEnumerator enumerator;
  platform::FakeMessageBox box;

  PortListing List() { return ElencaPorte(enumerator, registry, box); }
};

TEST(DevInfoStorage, NameComNumberAndBluetooth) {
  DevInfo_Storage d{"Communications Port", "", "Ports", ""};
  EXPECT_EQ(d.GetName(), "Communications Port");
  EXPECT_EQ(d.GetIDCOM(), -1);
  d.friendly_name = "USB Serial Port (COM12)";
  EXPECT_EQ(d.GetName(), "USB Serial Port (COM12)");
  EXPECT_EQ(d.GetIDCOM(), 12);
  EXPECT_FALSE(d.isBluetoothCOM());

  const auto id = [](std::string name) { return DevInfo_Storage{"", name, "", ""}.GetIDCOM(); };
  EXPECT_EQ(id("Prolific (com3)"), 3);
  EXPECT_EQ(id("Adapter (COM7a) (COM8)"), 7);
  EXPECT_EQ(id("Adapter (COM)"), -1);
  EXPECT_EQ(id("Adapter (COM"), -1);
  EXPECT_EQ(id("Adapter (COMx4)"), -1);
  EXPECT_EQ(id("Adapter (COM99999999999999999999)"), -1);
  EXPECT_EQ(id("COM4"), -1);

  EXPECT_TRUE((DevInfo_Storage{"", "Serial over bluetooth link (COM5)", "", ""}.isBluetoothCOM()));
  EXPECT_TRUE((DevInfo_Storage{"BlueTooth modem", "", "", ""}.isBluetoothCOM()));
  EXPECT_EQ(StrTrimToNull(std::string("COM3\0garbage", 12)), "COM3");
  EXPECT_EQ(StrTrimToNull("plain"), "plain");
}

TEST(DevLister, ClassNamesStatusAndItems) {
  PortRig rig;
  DevLister lister(rig.enumerator, rig.registry);
  lister.GetGUIDByName("Modem");
  EXPECT_EQ(lister.Status(), "Incorrect class name");
  EXPECT_TRUE(lister.Guids().empty());
  lister.GetGUIDByName("ports");
  EXPECT_EQ(lister.Status(), "OK");
  ASSERT_EQ(lister.Guids().size(), 1u);

  rig.enumerator.devices = {FakeSerialEnumerator::Named("USB Serial Port (COM4)")};
  lister.AddToList(ClassGuid{"{00000000-0000-0000-0000-000000000000}"});
  EXPECT_EQ(lister.Status(), "OK");
  EXPECT_EQ(lister.ListCount(), 0);
  lister.AddToList(lister.Guids().front());
  EXPECT_EQ(lister.Status(), "OK");
  ASSERT_EQ(lister.ListCount(), 1);
  EXPECT_EQ(lister.Item(1)->GetName(), "USB Serial Port (COM4)");
  EXPECT_EQ(lister.Item(1)->class_name, "Ports");
  EXPECT_EQ(lister.Item(0), nullptr);
  EXPECT_EQ(lister.Item(2), nullptr);

  rig.enumerator.error = "cannot open /sys/class/tty";
  lister.AddToList(std::nullopt);
  EXPECT_EQ(lister.Status(), "(BAD HANDLE) cannot open /sys/class/tty");

  rig.enumerator.available = false;
  lister.GetGUIDByName("Ports");
  EXPECT_EQ(lister.Status(), "Incorrect class name");
}

TEST(ElencaPorte, ListsComAndBluetoothPortsAfterUsbInEnumerationOrder) {
  PortRig rig;
  rig.enumerator.devices = {
      FakeSerialEnumerator::Named("USB Serial Port (COM12)"),
      FakeSerialEnumerator::Named("Standard Serial over Bluetooth link (COM5)"),
      FakeSerialEnumerator::Named("Prolific USB-to-Serial (com3)"),
      FakeSerialEnumerator::Named("Modem without digits (COM)"),
      FakeSerialEnumerator::Named("Printer port (LPT1)"),
      FakeSerialEnumerator::Named("Out of the port byte's reach (COM300)"),
      FakeSerialEnumerator::Named("Zero (COM0)"),
  };
  const PortListing listing = rig.List();
  EXPECT_FALSE(listing.fallback);
  EXPECT_TRUE(rig.box.shown.empty());
  EXPECT_EQ(listing.ports, (std::vector<PortRecord>{{0, PortKind::kUsb},
                                                    {12, PortKind::kCom},
                                                    {5, PortKind::kBluetooth},
                                                    {3, PortKind::kCom}}));
  EXPECT_EQ(Lines(listing), (std::vector<std::string>{"USB", "COM12", "COM5 BT", "COM3"}));
  EXPECT_EQ(listing.selector.text, " - - - - - ");
  EXPECT_EQ(FindPort(listing.ports, 5), 2u);
  EXPECT_EQ(FindPort(listing.ports, 7), std::nullopt);

  rig.enumerator.devices.clear();
  EXPECT_EQ(Lines(rig.List()), (std::vector<std::string>{"USB"}));
  EXPECT_TRUE(rig.box.shown.empty());
}

// Bound Bluetooth ports, which libserialport leaves out as virtual devices,
// are listed from the device folder by their rfcommN nodes.
TEST(LibserialportEnumerator, ListsBoundRfcommPortsAsBluetooth) {
  test::TempDir dev;
  for (const char* name : {"rfcomm12", "rfcomm0", "rfcommX", "rfcomm", "ttyS0"}) {
    ASSERT_TRUE(core::WriteFileAtomic(dev.File(name), ""));
  }
  platform::LibserialportEnumerator enumerator(dev.Path());
  const platform::SerialListing listing = enumerator.List();
  ASSERT_TRUE(listing.ok) << listing.error;
  std::vector<std::string> paths;
  for (const auto& d : listing.devices) {
    if (d.path.starts_with(dev.Path())) {
      EXPECT_EQ(d.transport, platform::SerialTransport::kBluetooth);
      EXPECT_EQ(d.stable_path, d.path);
      paths.push_back(d.path);
    }
  }
  EXPECT_EQ(paths, (std::vector<std::string>{dev.File("rfcomm0"), dev.File("rfcomm12")}));
}

TEST(ElencaPorte, FailuresShowTheirBoxAndOfferCom0ToCom60) {
  std::vector<std::string> fallback;
  for (int n = 0; n <= 60; ++n) {
    fallback.push_back("COM" + std::to_string(n));
  }
  for (const bool unavailable : {false, true}) {
    SCOPED_TRACE(unavailable);
    PortRig rig;
    rig.enumerator.devices = {FakeSerialEnumerator::Named("USB Serial Port (COM12)")};
    rig.enumerator.error = "permission denied";
    rig.enumerator.available = !unavailable;
    const PortListing listing = rig.List();
    EXPECT_TRUE(listing.fallback);
    ASSERT_EQ(rig.box.shown.size(), 1u);
    EXPECT_EQ(rig.box.shown[0].text,
              unavailable ? "Error Finding 'Ports' GUID" : "Error Getting Device List");
    EXPECT_EQ(rig.box.shown[0].kind, platform::BoxKind::Critical);
    EXPECT_EQ(Lines(listing), fallback);
    ASSERT_EQ(listing.ports.size(), 61u);
    EXPECT_EQ(listing.ports.front(), (PortRecord{0, PortKind::kCom}));
    EXPECT_EQ(listing.selector.text, " - - - - - ");
  }
}

// A device that calls itself by its node's name.
platform::SerialDeviceInfo Node(const std::string& path, SerialTransport transport) {
  platform::SerialDeviceInfo d;
  d.path = path;
  d.description = path.substr(path.rfind('/') + 1);
  d.transport = transport;
  return d;
}

TEST(ElencaPorte, DevicesKeepTheirNumbersAcrossRunsAndMoves) {
  PortRig rig;
  auto adapter =
      FakeSerialEnumerator::Usb("/dev/ttyUSB0", "FT232R USB UART", 0x0403, 0x6001, "A12345");
  auto cable =
      FakeSerialEnumerator::Usb("/dev/ttyACM0", "USB-Serial (COM9) cable", 0x067B, 0x2303, "C1");
  const auto native = Node("/dev/ttyS0", SerialTransport::kNative);
  const auto bt = Node("/dev/rfcomm0", SerialTransport::kBluetooth);
  rig.enumerator.devices = {adapter, cable, native, bt};
  EXPECT_EQ(Lines(rig.List()),
            (std::vector<std::string>{"USB", "COM1", "COM2", "COM3", "COM4 BT"}));

  // The names say which device is which; a description's own "(COM9)" does
  // not pass for the number.
  DevLister lister(rig.enumerator, rig.registry);
  lister.GetGUIDByName("Ports");
  lister.AddToList(lister.Guids().front());
  ASSERT_EQ(lister.ListCount(), 4);
  EXPECT_EQ(lister.Item(1)->GetName(), "FT232R USB UART (COM1)");
  EXPECT_EQ(lister.Item(2)->GetIDCOM(), 2);
  EXPECT_EQ(lister.Item(4)->GetName(), "Bluetooth rfcomm0 (COM4)");

  // Another run in another order: the same numbers.
  rig.enumerator.devices = {bt, native, cable, adapter};
  EXPECT_EQ(Lines(rig.List()),
            (std::vector<std::string>{"USB", "COM4 BT", "COM3", "COM2", "COM1"}));

  // The adapter comes back as ttyUSB1 and a new one sits on ttyUSB0.
  auto newcomer = FakeSerialEnumerator::Usb("/dev/ttyUSB0", "CP2102", 0x10C4, 0xEA60, "0001");
  adapter.path = "/dev/ttyUSB1";
  rig.enumerator.devices = {newcomer, adapter};
  EXPECT_EQ(Lines(rig.List()), (std::vector<std::string>{"USB", "COM5", "COM1"}));
  EXPECT_EQ(LookupPort(rig.registry, 1), "/dev/ttyUSB1");
  EXPECT_EQ(LookupPort(rig.registry, 5), "/dev/ttyUSB0");

  // The adapter leaves and its node goes to the first device plugged in:
  // number 1 opens nothing until the adapter returns, and then it is 1 again.
  auto third = FakeSerialEnumerator::Usb("/dev/ttyUSB1", "CH340", 0x1A86, 0x7523, "");
  third.stable_path = "/dev/serial/by-path/pci-0000:00:14.0-usb-0:2:1.0-port0";
  rig.enumerator.devices = {newcomer, third};
  EXPECT_EQ(Lines(rig.List()), (std::vector<std::string>{"USB", "COM5", "COM6"}));
  EXPECT_EQ(LookupPort(rig.registry, 6), "/dev/ttyUSB1");
  EXPECT_NE(LookupPort(rig.registry, 1), "/dev/ttyUSB1");
  adapter.path = "/dev/ttyUSB2";
  third.path = "/dev/ttyUSB3";  // no serial number: known by the socket it sits in
  rig.enumerator.devices = {adapter, third};
  EXPECT_EQ(Lines(rig.List()), (std::vector<std::string>{"USB", "COM1", "COM6"}));
  EXPECT_EQ(LookupPort(rig.registry, 1), "/dev/ttyUSB2");
  EXPECT_EQ(LookupPort(rig.registry, 6), "/dev/ttyUSB3");

  // The link server's and the virtual ECU's registrations keep the identities.
  const auto identities = LoadPortIdentities(rig.registry);
  EXPECT_EQ(RegisterPort(rig.registry, "/dev/pts/somewhere"), 7);
  EXPECT_TRUE(UnregisterPort(rig.registry, "/dev/pts/somewhere"));
  EXPECT_EQ(LoadPortIdentities(rig.registry), identities);
  EXPECT_EQ(identities.front(), (PortIdentity{1, "usb:0403:6001:A12345"}));
}

TEST(PortRegistry, IdentitiesAreReadAsFarAsTheyMakeSense) {
  test::TempDir dir;
  const std::string file = PortRegistryPath(dir.Path());
  ASSERT_TRUE(core::WriteFileAtomic(file,
                                    "[COM1]\r\n/dev/ttyUSB0\r\n[COM1.ID]\r\nusb:0403:6001:A\r\n"
                                    "[COM2]\r\n/dev/ttyUSB1\r\n[COM2.ID]\r\nusb:0403:6001:A\r\n"
                                    "[COM3.ID]\r\nusb:1111:2222:orphan\r\n"
                                    "[COM999.ID]\r\nusb:1:2:3\r\n"
                                    "[COM4]\r\n/dev/ttyS0\r\n[COM4.ID]\r\n[COM5]\r\n"
                                    "/dev/ttyS1\r\n[COM5.ID]"));
  EXPECT_EQ(LoadPortRegistry(file),
            (std::vector<PortEntry>{
                {1, "/dev/ttyUSB0"}, {2, "/dev/ttyUSB1"}, {4, "/dev/ttyS0"}, {5, "/dev/ttyS1"}}));
  EXPECT_EQ(LoadPortIdentities(file), (std::vector<PortIdentity>{{1, "usb:0403:6001:A"}}));

  // Identities and nodes that cannot be kept on one line number nothing.
  EXPECT_EQ(AssignPortNumbers(file, {{"usb:0403:6001:A", "/dev/ttyUSB9"},
                                     {"bad\r\nidentity", "/dev/ttyUSB2"},
                                     {"", "/dev/ttyUSB3"},
                                     {"usb:0403:6001:A", "/dev/ttyUSB4"},
                                     {"/dev/ttyS1", "/dev/ttyS1"}}),
            (std::vector<int>{1, -1, -1, -1, 5}));
  EXPECT_EQ(LookupPort(file, 1), "/dev/ttyUSB9");
  EXPECT_EQ(LoadPortIdentities(file),
            (std::vector<PortIdentity>{{1, "usb:0403:6001:A"}, {5, "/dev/ttyS1"}}));
}

TEST(ElencaPorte, RegistryOnlyPortsAndAnUnwritableRegistry) {
  PortRig rig;
  // A pseudo-terminal such as a virtual ECU serves, and a node registered by
  // hand; a registered node that is gone is not offered.
  platform::UniqueFd master(::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC));
  ASSERT_TRUE(master.Valid());
  ASSERT_EQ(::grantpt(master.Get()), 0);
  ASSERT_EQ(::unlockpt(master.Get()), 0);
  const std::string pty = ::ptsname(master.Get());
  const std::string node = rig.dir.File("ttyX(COM99)");
  ASSERT_TRUE(core::WriteFileAtomic(node, ""));
  EXPECT_EQ(RegisterPort(rig.registry, "/dev/gone", 1), 1);
  EXPECT_EQ(RegisterPort(rig.registry, pty), 2);
  EXPECT_EQ(RegisterPort(rig.registry, node), 3);
  EXPECT_EQ(RegisterPort(rig.registry, pty + "-usb", 0), 0);
  rig.enumerator.devices = {
      FakeSerialEnumerator::Usb("/dev/ttyUSB0", "FT232R", 0x0403, 0x6001, "Z")};
  EXPECT_EQ(Lines(rig.List()), (std::vector<std::string>{"USB", "COM4", "COM2", "COM3"}));
  DevLister lister(rig.enumerator, rig.registry);
  lister.AddToList(std::nullopt);
  ASSERT_EQ(lister.ListCount(), 3);
  EXPECT_EQ(lister.Item(2)->GetName(), "Virtual ECU (COM2)");
  EXPECT_EQ(lister.Item(2)->device, pty);
  EXPECT_EQ(lister.Item(3)->GetIDCOM(), 3);

  // Where the registry cannot be written only devices it already numbers
  // are offered; the listing itself did not fail.
  PortRig locked;
  locked.registry = locked.dir.File("no-such-folder/PortReg.ini");
  locked.enumerator.devices = rig.enumerator.devices;
  const PortListing listing = locked.List();
  EXPECT_FALSE(listing.fallback);
  EXPECT_EQ(Lines(listing), (std::vector<std::string>{"USB"}));
}

TEST(PortCom, ChoiceAndRememberedPort) {
  PortRig rig;
  rig.enumerator.devices = {FakeSerialEnumerator::Named("USB Serial Port (COM12)"),
                            FakeSerialEnumerator::Named("Bluetooth link (COM5)")};
  const PortListing listing = rig.List();
  core::SessionFlags flags;
  ASSERT_TRUE(core::WriteFileAtomic(rig.port_com, "3\r\n4\r\n"));
  EXPECT_TRUE(SelectPort(listing, 2, rig.port_com, flags));
  EXPECT_TRUE(flags.ecu_lost);
  EXPECT_EQ(FileText(rig.port_com), "5\r\n");
  EXPECT_EQ(ReadRememberedPort(rig.port_com), 5);
  flags.ecu_lost = false;
  EXPECT_TRUE(SelectPort(listing, 0, rig.port_com, flags));
  EXPECT_EQ(FileText(rig.port_com), "0\r\n");
  flags.ecu_lost = false;
  EXPECT_FALSE(SelectPort(listing, 3, rig.port_com, flags));
  EXPECT_FALSE(flags.ecu_lost);
  EXPECT_EQ(FileText(rig.port_com), "0\r\n");

  const auto remembered = [&](const std::string& text) {
    EXPECT_TRUE(core::WriteFileAtomic(rig.port_com, text));
    return ReadRememberedPort(rig.port_com);
  };
  EXPECT_EQ(remembered(" 7 \r\n"), 7);
  EXPECT_EQ(remembered("\t255"), 255);
  EXPECT_EQ(remembered("COM7\r\n"), std::nullopt);
  EXPECT_EQ(remembered("256"), std::nullopt);
  EXPECT_EQ(remembered("-1"), std::nullopt);
  EXPECT_EQ(remembered("7.5"), std::nullopt);
  EXPECT_EQ(remembered(""), std::nullopt);
  EXPECT_EQ(remembered("\r\n7"), std::nullopt);
  EXPECT_EQ(ReadRememberedPort(rig.dir.File("missing.ini")), std::nullopt);
  EXPECT_FALSE(WriteRememberedPort(rig.port_com, 256));

  // The connection picture.
  for (const int state : {0, 2, 3, 4, 5}) {
    core::SessionFlags f;
    f.state = state;
    ToggleConnection(f);
    EXPECT_EQ(f.ecu_lost, state == 4) << state;
    EXPECT_EQ(f.timeout, state != 4 && state != 5) << state;
  }
}

core::SetComConfig Profiles(const std::vector<std::string>& texts) {
  core::SetComConfig config;
  for (const auto& t : texts) {
    core::FirmwareEntry e;
    e.text1 = t;
    config.firmware2.push_back(e);
  }
  return config;
}

std::string Text(const Bytes& b) {
  return std::string(b.begin(), b.end());
}

TEST(CercaPorta, TriesEachProfileUntilASearchNamesAPort) {
  test::TempDir dir;
  const std::string port_com = dir.File("PortCom.ini");
  testing::ChannelRig rig;
  EcuAccess ecu(rig.pipe, LinkTimes{100'000, 0, 0});
  int searches = 0;
  int answer_on = 3;
  rig.link.handler = [&](const testing::Request& r) -> std::optional<Bytes> {
    if (r.type != 13) {
      return testing::Reply(0, {}, 0);
    }
    ++searches;
    return searches == answer_on ? testing::Reply(13, {}, 1, 0, 7) : testing::Reply(13, {}, 0);
  };
  const core::SetComConfig config = Profiles({"//115200,8N1", "57600", "//9600,8E1"});
  EXPECT_EQ(CercaPorta(ecu, config, port_com), 7);
  EXPECT_EQ(FileText(port_com), "7\r\n");
  std::vector<int> types;
  std::vector<std::string> profiles;
  for (const auto& r : rig.link.requests) {
    types.push_back(r.type);
    if (r.type == 10) {
      profiles.push_back(Text(r.payload));
    } else {
      EXPECT_EQ(r.payload, Bytes{0}) << r.type;
    }
  }
  EXPECT_EQ(types, (std::vector<int>{2, 10, 13, 10, 13, 10, 13}));
  EXPECT_EQ(profiles, (std::vector<std::string>{"//115200,8N1", "//57600", "//9600,8E1"}));
  EXPECT_TRUE(rig.box.shown.empty());

  // Nobody answers: -1 and the remembered port stays.
  searches = 0;
  answer_on = 0;
  EXPECT_EQ(CercaPorta(ecu, config, port_com), kNoPortFound);
  EXPECT_EQ(searches, 3);
  EXPECT_EQ(FileText(port_com), "7\r\n");

  // A port byte on a malformed reply does not count.
  rig.link.handler = [&](const testing::Request& r) -> std::optional<Bytes> {
    return r.type == 13 ? testing::Reply(18, {}, 1, 0, 9) : testing::Reply(0, {}, 0);
  };
  EXPECT_EQ(CercaPorta(ecu, config, port_com), kNoPortFound);
  EXPECT_EQ(FileText(port_com), "7\r\n");
  EXPECT_FALSE(rig.box.shown.empty());

  EXPECT_EQ(CercaPorta(ecu, core::SetComConfig{}, port_com), kNoPortFound);
}

TEST(CercaPorta, ATimeOutOrTheStopButtonEndsTheSearch) {
  test::TempDir dir;
  testing::ChannelRig rig;
  EcuAccess ecu(rig.pipe, LinkTimes{100'000, 0, 0});
  rig.link.handler = [&](const testing::Request& r) -> std::optional<Bytes> {
    if (r.type == 13) {
      return std::nullopt;
    }
    return testing::Reply(0, {}, 0);
  };
  const core::SetComConfig config = Profiles({"115200", "57600", "9600"});
  EXPECT_EQ(CercaPorta(ecu, config, dir.File("PortCom.ini")), kNoPortFound);
  ASSERT_EQ(rig.box.shown.size(), 1u);
  EXPECT_EQ(rig.box.shown[0].text, "Error 007 - Time Out");
  EXPECT_EQ(rig.link.requests.size(), 3u);  // 2, 10, 13: nothing after the time-out

  // The search window's stop button raises the timeout flag mid-search.
  testing::ChannelRig stopped;
  EcuAccess ecu2(stopped.pipe, LinkTimes{100'000, 0, 0});
  stopped.link.handler = [&](const testing::Request& r) -> std::optional<Bytes> {
    if (r.type == 13) {
      stopped.flags.timeout = true;
      return testing::Reply(13, {}, 0);
    }
    return testing::Reply(0, {}, 0);
  };
  EXPECT_EQ(CercaPorta(ecu2, config, dir.File("PortCom.ini")), kNoPortFound);
  EXPECT_EQ(stopped.link.requests.size(), 3u);
  EXPECT_FALSE(core::EsisteFile(dir.File("PortCom.ini")));
}

TEST(SerialAccess, DevicesThisUserMayNotOpenAreToldOnceWithTheRemedy) {
  PortRig rig;
  rig.enumerator.devices = {
      FakeSerialEnumerator::Usb("/dev/ttyUSB0", "FT232R", 0x0403, 0x6001, "A"),
      FakeSerialEnumerator::Usb("/dev/ttyUSB1", "FT232R", 0x0403, 0x6001, "B")};
  platform::FakeSysIo io;
  io.Fail(platform::FakeSysIo::kAccess, EACCES);  // the first device's check
  const PortListing listing = ElencaPorte(rig.enumerator, rig.registry, rig.box, io);
  EXPECT_EQ(Lines(listing).size(), 3u);  // still offered: the group may be granted meanwhile
  EXPECT_EQ(listing.refused_devices, std::vector<std::string>{"/dev/ttyUSB0"});
  EXPECT_TRUE(rig.box.shown.empty());

  SerialAccessNotice notice;
  notice.Tell(listing.refused_devices, rig.box);
  notice.Tell(listing.refused_devices, rig.box);  // the next connection attempt
  ASSERT_EQ(rig.box.shown.size(), 1u);
  const std::string& text = rig.box.shown[0].text;
  EXPECT_NE(text.find("/dev/ttyUSB0"), std::string::npos);
  EXPECT_NE(text.find("sudo usermod -aG dialout $USER"), std::string::npos);
  EXPECT_NE(text.find("log out"), std::string::npos);
  notice.Tell({"/dev/ttyUSB0", "/dev/ttyACM0"}, rig.box);
  ASSERT_EQ(rig.box.shown.size(), 2u);
  EXPECT_EQ(rig.box.shown[1].text.find("/dev/ttyUSB0"), std::string::npos);

  // A device that is missing or busy has other causes than permissions.
  for (const int error : {ENOENT, EBUSY, EPERM}) {
    io.Fail(platform::FakeSysIo::kAccess, error);
    EXPECT_EQ(AccessRefused(io, "/dev/ttyS9"), error == EPERM) << error;
  }
}

}  // namespace
}  // namespace velmora::link
