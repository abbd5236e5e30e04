// AT^SYSINFO: the modem's registration picture as seven comma-separated
// codes (service status, domain, roaming, system mode, SIM state, SIM lock
// state, sub-mode), and AT^SYSINFOEX, the same picture from an LTE stick,
// which no longer answers AT^SYSINFO in LTE mode.
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
    {"5", kTextWcdma},     {"6", "GPS"},  {"7", "GSM/WCDMA"}, {"8", "CDMA/HDR Hybrid"}, {"15", kTextTdScdma},
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
    {"0", kTextNoService},
    {"1", "GSM"},
    {"2", "GPRS"},
    {"3", "EDGE"},
    {"4", kTextWcdma},
    {"5", "HSDPA"},
    {"6", "HSUPA"},
    {"7", "HSDPA/HSUPA"},
    // Later 3G firmware: codes past the first table.
    {"8", kTextTdScdma},
    {"9", kTextHspaPlus},
    {"17", "HSPA+ (64QAM)"},
    {"18", "HSPA+ (MIMO)"},
};
// ^SYSINFOEX numbers its modes afresh: by technology, the sub-modes of each
// in a block of their own (41.. the WCDMA family, 61.. TD-SCDMA, 101 LTE).
constexpr CodeText kSystemModeExCodes[] = {
    {"0", kTextNoService}, {"1", "GSM"},   {"2", "CDMA"},   {"3", kTextWcdma},
    {"4", kTextTdScdma},   {"5", "WiMAX"}, {"6", kTextLte}, {"7", "EVDO"},
};
constexpr CodeText kSubModeExCodes[] = {
    {"0", kTextNoService},
    {"1", "GSM"},
    {"2", "GPRS"},
    {"3", "EDGE"},
    {"41", kTextWcdma},
    {"42", "HSDPA"},
    {"43", "HSUPA"},
    {"44", "HSPA"},
    {"45", kTextHspaPlus},
    {"46", "DC-HSPA+"},
    {"61", kTextTdScdma},
    {"62", "HSDPA (TD-SCDMA)"},
    {"63", "HSUPA (TD-SCDMA)"},
    {"64", "HSPA (TD-SCDMA)"},
    {"65", "HSPA+ (TD-SCDMA)"},
    {"101", kTextLte},
};

}  // namespace

constexpr CodeTable kServiceStatusTable = MakeCodeTable(kServiceStatusCodes);
constexpr CodeTable kServiceDomainTable = MakeCodeTable(kServiceDomainCodes);
constexpr CodeTable kRoamingTable = MakeCodeTable(kRoamingCodes);
constexpr CodeTable kSimStateTable = MakeCodeTable(kSimStateCodes);

namespace {

constexpr CodeTable kSystemModeTable = MakeCodeTable(kSystemModeCodes);
constexpr CodeTable kSubModeTable = MakeCodeTable(kSubModeCodes);
constexpr CodeTable kSystemModeExTable = MakeCodeTable(kSystemModeExCodes);
constexpr CodeTable kSubModeExTable = MakeCodeTable(kSubModeExCodes);

// Field order of the reply; the sub-mode comes last but shows above the SIM
// rows, and the SIM lock state is shown as the modem sends it.
constexpr FieldRule kSysinfoFields[] = {
    {&kServiceStatusTable, kRowServiceStatus}, {&kServiceDomainTable, kRowServiceDomain},
    {&kRoamingTable, kRowRoamingState},        {&kSystemModeTable, kRowSystemMode},
    {&kSimStateTable, kRowSimState},           {nullptr, kRowSimLockState},
    {&kSubModeTable, kRowSystemSubMode},
};

// The first five fields mean what those of ^SYSINFO mean, in the order of
// the rows. Each mode comes with the stick's own name for it (quoted or
// not), which the row shows when the table does not know the code.
constexpr FieldRule kSysinfoExFields[] = {
    {&kServiceStatusTable, kRowServiceStatus},
    {&kServiceDomainTable, kRowServiceDomain},
    {&kRoamingTable, kRowRoamingState},
    {&kSimStateTable, kRowSimState},
    {nullptr, kRowSimLockState},
    {&kSystemModeExTable, kRowSystemMode},
    {nullptr, kRowSystemMode, kFieldUnquoted | kFieldIfRowEmpty},
    {&kSubModeExTable, kRowSystemSubMode},
    {nullptr, kRowSystemSubMode, kFieldUnquoted | kFieldIfRowEmpty},
};
constexpr int32_t kSysinfoExModeField = 5;
constexpr std::string_view kSysinfoExLteMode = "6";

}  // namespace

void DecodeSysinfoReply() { DecodeReplyFields("^SYSINFO", kSysinfoFields); }

void DecodeSysinfoExReply() {
  DecodeReplyFields("^SYSINFOEX", kSysinfoExFields);
  if (TakeFieldAt(kSysinfoExModeField) && g_App.ReceiveBuffer == kSysinfoExLteMode) g_App.Lte.onLte = true;
}
