#include "card/CardDataChecks.h"

#include "records/CodeIndex.h"
#include "app/DataChecks.h"
#include "app/Dialogs.h"
#include "storage/Schema.h"

namespace veltor {

std::vector<std::string> cardDataFaults(const AppState &state, const std::string &code,
                                        const CardValues &values, const Date &today)
{
    PersonData person;
    person.inn = values.inn;
    person.snils = values.strahSvid;
    person.passport = values.passport;
    person.birth = values.birthDate;
    person.hire = values.postDate;
    if (!code.empty()) {
        const CodeIndex trud(state.Trud.Header, state.Trud.Data, schema::KOD);
        const int first = trud.first(code);
        if (first != 0 && first != trud.last(code))
            person.hire = firstHireDate(state, code);
    }
    if (values.dismissed)
        person.dismissal = values.dismissalDate;
    return dataFaults(person, today);
}

bool confirmCardData(const AppState &state, const std::string &code, const CardValues &values,
                     QWidget *parent)
{
    const std::vector<std::string> faults = cardDataFaults(state, code, values, veltor::today());
    if (faults.empty())
        return true;
    std::string text = "Проверьте данные:";
    for (const std::string &fault : faults)
        text += "\n— " + fault;
    return Dialogs::question(QString::fromStdString(text + "\n\nСохранить всё равно?"), parent);
}

} // namespace veltor
