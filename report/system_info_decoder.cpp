// AT^SYSINFO: the modem's registration picture as seven comma-separated
// codes (service status, domain, roaming, system mode, SIM state, SIM lock
// state, sub-mode).
#include "report/decoders.h"
#include "report/field_walk.h"
#include "report/report_rows.h"

namespace {

constexpr CodeText kServiceStatusCodes[] = {
    {"0", kTextNoService},
    {"1", "Ограниченный сервис"},
    {"2", "Нормальный сервис"},
    {"3", "Ограниченный региональный сервис"},
    {"4", "Энергосберегающий и спящий режим"},
};
constexpr CodeText kServiceDomainCodes[] = {
    {"0", kTextNoService},
    {"1", "Только сервис CS"},
    {"2", "Только сервис PS"},
    {"3", "Сервисы PS+CS"},
    {"4", "CS и PS не зарегистрированы, поиск..."},
};
constexpr CodeText kRoamingCodes[] = {
    {"0", "Не в роуминге"},
    {"1", "В роуминге"},
};
constexpr CodeText kSystemModeCodes[] = {
    {"0", kTextNoService}, {"1", "AMPS"}, {"2", "CDMA"},      {"3", "GSM/GPRS"},        {"4", "HDR"},
    {"5", kTextWcdma},     {"6", "GPS"},  {"7", "GSM/WCDMA"}, {"8", "CDMA/HDR Hybrid"},
};
constexpr CodeText kSimStateCodes[] = {
    {"0", "Неверное состояние карты USIM или pin-код заблокирован"},
    {"1", "Нормальное состояние карты USIM"},
    {"2", "USIM неверная по причине CS"},
    {"3", "USIM неверная по причине PS"},
    {"4", "USIM неверная по причине CS или PS"},
    {"255", "USIM карта отсутствует"},
};
constexpr CodeText kSubModeCodes[] = {
    {"0", kTextNoService}, {"1", "GSM"},   {"2", "GPRS"},  {"3", "EDGE"},
    {"4", kTextWcdma},     {"5", "HSDPA"}, {"6", "HSUPA"}, {"7", "HSDPA/HSUPA"},
};

}  // namespace

constexpr CodeTable kServiceStatusTable = MakeCodeTable(kServiceStatusCodes);
constexpr CodeTable kServiceDomainTable = MakeCodeTable(kServiceDomainCodes);
constexpr CodeTable kRoamingTable = MakeCodeTable(kRoamingCodes);
constexpr CodeTable kSimStateTable = MakeCodeTable(kSimStateCodes);

namespace {

constexpr CodeTable kSystemModeTable = MakeCodeTable(kSystemModeCodes);
constexpr CodeTable kSubModeTable = MakeCodeTable(kSubModeCodes);

// Field order of the reply; the sub-mode comes last but shows above the SIM
// rows, and the SIM lock state is shown as the modem sends it.
constexpr FieldRule kSysinfoFields[] = {
    {&kServiceStatusTable, kRowServiceStatus}, {&kServiceDomainTable, kRowServiceDomain},
    {&kRoamingTable, kRowRoamingState},        {&kSystemModeTable, kRowSystemMode},
    {&kSimStateTable, kRowSimState},           {nullptr, kRowSimLockState},
    {&kSubModeTable, kRowSystemSubMode},
};

}  // namespace

void DecodeSysinfoReply() { DecodeReplyFields("^SYSINFO", kSysinfoFields); }
