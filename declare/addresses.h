// Where the declaration window connects and what its web links open. Every
// address has a default here and a key of section OrvoDent in c:\orvo.ini that
// replaces it, for a clinic whose network reaches the insurer another way.
#pragma once

#include <string>

struct Run;

// The declaration service inside the insurer's medical network (the usual road).
inline constexpr const char* kKeyServer = "DeclareServer";
inline constexpr const char* kDefaultServer = "medvpn.nhi.gov.tw";
// The same service from the internet: the pharmacy of institution 9900000011
// has no medical-network line.
inline constexpr const char* kKeyServerNet = "DeclareServerNet";
inline constexpr const char* kDefaultServerNet = "eservice.nhi.gov.tw";
// The insurer's declaration web site, whose portal page ("/idcportal") also
// serves the newer PEAT1511B01.dll.
inline constexpr const char* kKeyDeclareWeb = "DeclareWeb";
inline constexpr const char* kDefaultDeclareWeb = "medvpn.nhi.gov.tw";
// The insurer's cloud medication-record site.
inline constexpr const char* kKeyCloudWeb = "CloudWeb";
inline constexpr const char* kDefaultCloudWeb = "medcloud.nhi.gov.tw";

// The port and system code of the declaration service.
inline constexpr int kServicePort = 1502;
inline constexpr const char* kSystemCode = "FA";

// The pages the window opens.
inline constexpr const char* kDeclarePage = "/iwpe0000/iwpe0000s01.aspx";
inline constexpr const char* kCloudPage = "/imme0000/imme0002S01.aspx";
inline constexpr const char* kPortalPage = "/idcportal";

struct DeclareAddresses {
  std::string server, serverNet, declareWeb, cloudWeb;
  std::string makerUrl;  // the clinic software maker's home page: the run's softAppUrl
};

// The addresses with the clinic's own settings applied.
DeclareAddresses readAddresses(Run& run);
