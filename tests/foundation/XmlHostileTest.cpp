// School files that try to make the parser read other files, reach the network or
// exhaust memory. Each attack has its own fixture in tests/fixtures/xml.

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <future>
#include <string>

#include "store/RunError.h"
#include "store/XmlDocument.h"
#include "tests/support/ScratchFolder.h"

namespace tto {
namespace {

namespace fs = std::filesystem;
using testing::ReadFileBytes;
using testing::ScratchFolder;

const fs::path kXmlFixtures = fs::path(TTO_FIXTURES_DIR) / "xml";

// The first line of the local file the attacks point at: it must show up nowhere.
std::string SecretMarker() {
  const std::string passwd = ReadFileBytes("/etc/passwd");
  return passwd.substr(0, passwd.find('\n'));
}

long PeakResidentKilobytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

struct HostileCase {
  const char* fixture;
  bool parses;  // false: the document stays empty
};

class HostileSchoolFile : public ::testing::TestWithParam<HostileCase> {};

TEST_P(HostileSchoolFile, NeverReadsAnotherFileNorExpandsWithoutBound) {
  if (!fs::exists("/etc/passwd")) GTEST_SKIP() << "no /etc/passwd to point at";
  const std::string secret = SecretMarker();
  ASSERT_FALSE(secret.empty());
  ScratchFolder scratch;
  const long peakBefore = PeakResidentKilobytes();

  XmlDocument doc;
  doc.Load(kXmlFixtures / GetParam().fixture);

  EXPECT_LT(PeakResidentKilobytes() - peakBefore, 64 * 1024) << "expansion took memory";
  EXPECT_EQ(static_cast<bool>(doc.DocumentElement()), GetParam().parses);
  if (!GetParam().parses) {
    EXPECT_EQ(doc.SelectNodes("/Centro").Count(), 0u);
    return;
  }
  EXPECT_EQ(doc.DocumentElement().AttributeText("Nombre"), "IES");
  const XmlNodeList rooms = doc.SelectNodes("/Centro/Aulas/Aula");
  for (std::size_t i = 0; i < rooms.Count(); ++i) {
    EXPECT_EQ(rooms.Item(i).AttributeText("Nombre").find(secret), std::string::npos);
  }
  // Saving writes what was in the file (a reference stays a reference), never what the
  // reference points at.
  doc.Save(scratch / "out.xml");
  EXPECT_EQ(ReadFileBytes(scratch / "out.xml").find(secret), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    EveryAttack, HostileSchoolFile,
    ::testing::Values(HostileCase{"xxe-local-file.xml", true},
                      // XML forbids references to external entities in attribute values.
                      HostileCase{"xxe-local-file-attribute.xml", false},
                      HostileCase{"external-dtd.xml", true},
                      HostileCase{"external-parameter-entity.xml", true},
                      HostileCase{"billion-laughs.xml", false},
                      HostileCase{"billion-laughs-attribute.xml", false},
                      HostileCase{"quadratic-blowup-attribute.xml", false}),
    [](const ::testing::TestParamInfo<HostileCase>& info) {
      std::string name;
      for (const char* c = info.param.fixture; *c != '.'; ++c) {
        if (std::isalnum(static_cast<unsigned char>(*c))) name += *c;
      }
      return name;
    });

TEST(HostileSchoolFile, InternalEntitiesInAttributesStillExpand) {
  XmlDocument doc;
  doc.Load(kXmlFixtures / "internal-entities.xml");
  EXPECT_EQ(doc.DocumentElement().AttributeText("Nombre"),
            "IES Pe\xF1"
            "alver & m\xE1s");
  EXPECT_EQ(doc.SelectSingleNode("/Centro/Aulas/Aula").AttributeText("Nombre"),
            "Pe\xF1"
            "alver");
}

TEST(HostileSchoolFile, ExcessiveNestingDoesNotParse) {
  std::string text;
  for (int i = 0; i < 5000; ++i) text += "<Centro>";
  for (int i = 0; i < 5000; ++i) text += "</Centro>";
  ScratchFolder scratch;
  XmlDocument doc;
  doc.Load(scratch.Write("deep.xml", text));
  EXPECT_FALSE(doc.DocumentElement());
}

// A listening socket on the loopback address that records whether anyone connected.
class Listener {
 public:
  Listener() {
    fd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (fd_ < 0 || bind(fd_, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        listen(fd_, 8) != 0 ||
        getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
      throw std::runtime_error("cannot listen on the loopback address");
    }
    port_ = ntohs(address.sin_port);
  }
  ~Listener() { close(fd_); }
  int port() const { return port_; }

  // Accepts and drops any pending connection (so a client waiting for an answer gets
  // none and moves on); answers whether there was one.
  bool DropPendingConnection() {
    pollfd waiting{fd_, POLLIN, 0};
    if (poll(&waiting, 1, 0) <= 0) return false;
    const int client = accept(fd_, nullptr, nullptr);
    if (client >= 0) close(client);
    return true;
  }

 private:
  int fd_ = -1;
  int port_ = 0;
};

TEST(HostileSchoolFile, NeverOpensANetworkConnection) {
  Listener listener;
  std::string text = ReadFileBytes(kXmlFixtures / "network-entity.xml");
  for (std::size_t at; (at = text.find("PORT")) != std::string::npos;) {
    text.replace(at, 4, std::to_string(listener.port()));
  }
  ScratchFolder scratch;
  const fs::path file = scratch.Write("network.xml", text);

  XmlDocument doc;
  auto loading = std::async(std::launch::async, [&] { doc.Load(file); });
  bool connected = false;
  while (loading.wait_for(std::chrono::milliseconds(10)) != std::future_status::ready) {
    connected = listener.DropPendingConnection() || connected;
  }
  loading.get();
  connected = listener.DropPendingConnection() || connected;
  EXPECT_FALSE(connected);
  ASSERT_TRUE(doc.DocumentElement());
  EXPECT_EQ(doc.DocumentElement().AttributeText("Nombre"), "IES");
  doc.Save(scratch / "out.xml");
  EXPECT_FALSE(listener.DropPendingConnection());
}

}  // namespace
}  // namespace tto
