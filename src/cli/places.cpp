#include "cli/places.h"

#include <iostream>

namespace zelvan::cli {
namespace {

// The stations a refusal names when a text finds several; the rest stand as "…".
constexpr std::size_t kNamedCandidates = 8;

}  // namespace

std::string unknownStationMessage(const std::u16string& name) {
    return "没有找到车站：" + out(name);
}

std::string resolvePlaces(const TimetableDb& db, std::vector<std::u16string>& names) {
    for (std::u16string& name : names) {
        TypedName typed = db.resolveTypedName(name);
        switch (typed.kind) {
            case TypedNameKind::Place:
            case TypedNameKind::Unique:
                name = std::move(typed.name);
                break;
            case TypedNameKind::Empty:
                return "请输入车站名称";
            case TypedNameKind::Unknown:
                return unknownStationMessage(typed.name);
            case TypedNameKind::Several: {
                std::string list;
                for (std::size_t i = 0; i < typed.candidates.size(); ++i) {
                    if (i == kNamedCandidates) {
                        list += "、…";
                        break;
                    }
                    list += (i == 0 ? "" : "、") + out(typed.candidates[i]);
                }
                return "车站名称不唯一：" + out(typed.name) + "（" + list + "）";
            }
        }
    }
    return {};
}

bool requireStations(Globals& globals, const TimetableDb& db, std::vector<std::u16string>& names) {
    const std::string refusal = resolvePlaces(db, names);
    if (refusal.empty()) return true;
    std::cerr << refusal << "\n";
    globals.exitCode = kExitFailed;
    return false;
}

}  // namespace zelvan::cli
