// The faults the simulator can play for a client: exact bytes, paced pieces, hang-ups, bodies
// cut after a given count, any path served as a file, and a TLS listener.
#include "sim_fixture.h"
#include "sim_test_support.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

using simtest::ParseOrNull;

// Sends one request on a fresh connection and returns every byte received until the server
// closes it.
std::string RawExchange(int port, const std::string& path) {
    int s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    timeval timeout{30, 0};
    setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    if (connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        close(s);
        return "<no connection>";
    }
    std::string request = "GET " + path + " HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n";
    send(s, request.data(), request.size(), 0);
    std::string received;
    char buffer[4096];
    ssize_t n = 0;
    while ((n = recv(s, buffer, sizeof buffer, 0)) > 0) {
        received.append(buffer, static_cast<size_t>(n));
    }
    close(s);
    return received;
}

std::string BodyOf(const std::string& reply) {
    auto end = reply.find("\r\n\r\n");
    return end == std::string::npos ? std::string() : reply.substr(end + 4);
}

class SimFaultTest : public simtest::SimFixture {};

TEST_F(SimFaultTest, HexAndBase64BodiesAreSentByteForByte) {
    ASSERT_TRUE(Sim().SetMode("/users/statistics", R"({"body_hex": "00FF7b0d0a22c3"})"));
    ASSERT_TRUE(Sim().SetMode("/users/moreSoftware", R"({"body_base64": "AP97DQoiww"})"));
    const std::string expected("\x00\xff{\r\n\"\xc3", 7);
    EXPECT_EQ(Sim().Fetch("/users/statistics").second, expected);
    EXPECT_EQ(Sim().Fetch("/users/moreSoftware").second, expected);
    EXPECT_NE(RawExchange(Sim().Port(), "/users/statistics")
                  .find("Content-Type: application/octet-stream"),
              std::string::npos);
}

TEST_F(SimFaultTest, BadBytesAndCountsAreRefused) {
    EXPECT_FALSE(Sim().SetMode("/x", R"({"body_hex": "0"})"));
    EXPECT_FALSE(Sim().SetMode("/x", R"({"body_hex": "zz"})"));
    EXPECT_FALSE(Sim().SetMode("/x", R"({"body_base64": "A"})"));
    EXPECT_FALSE(Sim().SetMode("/x", R"({"body_base64": "AA!A"})"));
    EXPECT_FALSE(Sim().SetMode("/x", R"({"piece_bytes": 0})"));
    EXPECT_FALSE(Sim().SetMode("/x", R"({"cut_after": -1})"));
    EXPECT_FALSE(Sim().SetMode("/x", R"({"mode": "vanish"})"));
    EXPECT_EQ(Sim().Fetch("/x").first, 404) << "a refused change creates nothing";
}

TEST_F(SimFaultTest, PacedBodyArrivesInPiecesOfTheGivenSize) {
    ASSERT_TRUE(Sim().SetMode("/users/statistics", R"({"body": "abcdefghijkl", "piece_bytes": 4,
                                                        "piece_delay_ms": 150})"));
    httplib::Client client("127.0.0.1", Sim().Port());
    std::vector<std::string> pieces;
    auto result = client.Get("/users/statistics", [&](const char* data, size_t length) {
        pieces.emplace_back(data, length);
        return true;
    });
    ASSERT_TRUE(result);
    EXPECT_EQ(pieces, (std::vector<std::string>{"abcd", "efgh", "ijkl"}));
}

TEST_F(SimFaultTest, HangupClosesTheConnectionWithoutAByte) {
    ASSERT_TRUE(Sim().SetMode("/download/update", R"({"mode": "hangup"})"));
    EXPECT_EQ(RawExchange(Sim().Port(), "/download/update"), "");
    EXPECT_EQ(Sim().RequestsTo("/download/update").size(), 1u) << "the request is still recorded";
    EXPECT_EQ(Sim().Fetch("/users/statistics").first, 200) << "other paths still answer";
}

TEST_F(SimFaultTest, CutAfterSendsExactlyThatManyBytesOfTheAnnouncedBody) {
    ASSERT_TRUE(Sim().SetMode("/users/statistics", R"({"body_hex": "0102030405", "mode": "break",
                                               "cut_after": 3})"));
    std::string reply = RawExchange(Sim().Port(), "/users/statistics");
    EXPECT_NE(reply.find("Content-Length: 5"), std::string::npos) << reply;
    EXPECT_EQ(BodyOf(reply), std::string("\x01\x02\x03"));
}

TEST_F(SimFaultTest, AnyPathServesAFileWithItsParameters) {
    ASSERT_TRUE(Sim().SetMode("/download/update", R"({"file": "big?size=1000"})"));
    ASSERT_TRUE(
        Sim().SetMode("/wxpub/getUserInfo", R"({"file": "big", "mode": "break", "cut_after": 7})"));
    auto [status, body] = Sim().Fetch("/download/update");
    EXPECT_EQ(status, 200);
    ASSERT_EQ(body.size(), 1000u);
    EXPECT_EQ(static_cast<unsigned char>(body[260]), 260 % 251);
    EXPECT_EQ(Sim().Fetch("/download/update?size=5").second.size(), 1000u)
        << "the entry's own parameters win over the request's";

    std::string cut = RawExchange(Sim().Port(), "/wxpub/getUserInfo?size=100");
    EXPECT_NE(cut.find("Content-Length: 100"), std::string::npos) << cut;
    EXPECT_EQ(BodyOf(cut).size(), 7u);
}

class SimTlsTest : public simtest::SimFixture {
public:
    static void SetUpTestSuite() { StartSim({.tls = true}); }
};

TEST_F(SimTlsTest, TlsListenerAnswersLikeThePlainOneForWhoeverTrustsItsCertificate) {
    ASSERT_GT(Sim().TlsPort(), 0);
    std::string pem = Sim().TlsCertificate();
    ASSERT_NE(pem.find("BEGIN CERTIFICATE"), std::string::npos);
    auto caFile =
        std::filesystem::temp_directory_path() / ("sim-ca-" + std::to_string(getpid()) + ".pem");
    simtest::WriteFile(caFile.string(), pem);

    httplib::SSLClient trusting("127.0.0.1", Sim().TlsPort());
    trusting.set_ca_cert_path(caFile.c_str());
    trusting.enable_server_certificate_verification(true);
    auto result = trusting.Get("/download/update");
    std::filesystem::remove(caFile);
    ASSERT_TRUE(result) << httplib::to_string(result.error());
    Json::Value reply = ParseOrNull(result->body);
    EXPECT_EQ(reply["code"].asInt(), 0);
    EXPECT_EQ(reply["url"].asString().rfind(Sim().TlsUrl("/"), 0), 0u)
        << "${base} names the listener that was asked: " << reply["url"].asString();
    EXPECT_EQ(Sim().RequestsTo("/download/update").size(), 1u);

    httplib::SSLClient doubting("127.0.0.1", Sim().TlsPort());
    doubting.enable_server_certificate_verification(true);
    EXPECT_FALSE(doubting.Get("/download/update")) << "the certificate is self-signed";
}

TEST_F(SimTlsTest, HangupWorksOverTls) {
    ASSERT_TRUE(Sim().SetMode("/download/update", R"({"mode": "hangup"})"));
    httplib::SSLClient client("127.0.0.1", Sim().TlsPort());
    client.enable_server_certificate_verification(false);
    auto result = client.Get("/download/update");
    EXPECT_FALSE(result);
    EXPECT_EQ(Sim().RequestsTo("/download/update").size(), 1u);
}

} // namespace
