#include "cli/places.h"

#include <iostream>

#include "cli/language.h"

namespace zelvan::cli {
namespace {

// The stations a refusal names when a text finds several; the rest stand as "…".
constexpr std::size_t kNamedCandidates = 8;

}  // namespace

std::string unknownStationMessage(const std::u16string& name, bool shown) {
    constexpr const char* kUnknown = markZh("没有找到车站：%s");
    return fill(shown ? trZh(kUnknown) : kUnknown, {out(name)});
}

std::string resolvePlaces(const TimetableDb& db, std::vector<std::u16string>& names, bool shown) {
    for (std::u16string& name : names) {
        TypedName typed = db.resolveTypedName(name);
        switch (typed.kind) {
            case TypedNameKind::Place:
            case TypedNameKind::Unique:
                name = std::move(typed.name);
                break;
            case TypedNameKind::Empty: {
                constexpr const char* kEmpty = markZh("请输入车站名称");
                return shown ? trZh(kEmpty) : kEmpty;
            }
            case TypedNameKind::Unknown:
                return unknownStationMessage(typed.name, shown);
            case TypedNameKind::Several: {
                std::string list;
                for (std::size_t i = 0; i < typed.candidates.size(); ++i) {
                    if (i == kNamedCandidates) {
                        list += "、…";
                        break;
                    }
                    list += (i == 0 ? "" : "、") + out(typed.candidates[i]);
                }
                constexpr const char* kSeveral = markZh("车站名称不唯一：%s（%s）");
                return fill(shown ? trZh(kSeveral) : kSeveral, {out(typed.name), list});
            }
        }
    }
    return {};
}

bool requireStations(Globals& globals, const TimetableDb& db, std::vector<std::u16string>& names) {
    const std::string refusal = resolvePlaces(db, names, true);
    if (refusal.empty()) return true;
    std::cerr << refusal << "\n";
    globals.exitCode = kExitFailed;
    return false;
}

}  // namespace zelvan::cli
