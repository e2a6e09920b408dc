"""The personnel documents: the personal card after the unified form T-2 and a certificate of
employment.

The program fills two tables of the personal card by number (tables are counted in document
order, from 1): table 12 gets the family from its third row, table 20 the employment history.
Every other block is a table of its own, so adding or removing a block before section III
changes that numbering; make_templates.py checks it.
"""

from fodt import Document, TEXT_WIDTH_CM, box, cap, head, line, plain

FAMILY_TABLE = 12
HISTORY_TABLE = 20
FAMILY_ROWS = 8
HISTORY_ROWS = 14


def staff_signature(doc):
    doc.table([4.2, 5.4, 0.4, 3.0, 0.4, 4.6], [
        [plain("Работник кадровой службы"), line("<KONST.KADROVIK.DOLZH>"), plain(), line(), plain(),
         line("<KONST.KADROVIK.SOKR_FIO>")],
        [plain(), cap("(должность)"), plain(), cap("(личная подпись)"), plain(),
         cap("(расшифровка подписи)")],
    ])


def employee_signature(doc):
    doc.table([4.2, 5.4, 0.4, 8.0], [
        [plain("Работник"), line(), plain(), plain("«____» ________________ 20___ г.", "CellC")],
        [plain(), cap("(личная подпись)"), plain(), plain()],
    ])


def numbered_table(doc, widths, headings, empty_rows, second_heading=None):
    """A section table: its headings, a row of column numbers and empty rows to fill in."""
    rows = [headings]
    if second_heading:
        rows.append(second_heading)
    rows.append([head(str(i + 1)) for i in range(len(widths))])
    rows += [[box() for _ in widths] for _ in range(empty_rows)]
    doc.table(widths, rows)


def personal_card():
    doc = Document("Личная карточка работника (форма Т-2)")
    doc.p("Унифицированная форма № Т-2\nУтверждена постановлением Госкомстата России\n"
          "от 05.01.2004 № 1", "Note")
    doc.gap()
    # 1: the organisation and its codes.
    doc.table([12.5, 3.0, 2.5], [
        [plain(), plain(), box("Код")],
        [plain(), plain("Форма по ОКУД", "CellR"), box("0301002")],
        [line("**<KONST.ORGAN>**"), plain("по ОКПО", "CellR"), box("<KONST.OKPO>")],
        [cap("(наименование организации)"), plain(), plain()],
    ])
    doc.gap()
    # 2: the card's codes.
    doc.table([2.1, 1.9, 2.6, 3.0, 1.5, 2.1, 2.7, 2.1], [
        [head("Дата составления"), head("Табельный номер"),
         head("Идентификационный номер налогоплательщика"),
         head("Номер страхового свидетельства государственного пенсионного страхования"),
         head("Алфавит"), head("Характер работы"),
         head("Вид работы (основная, по совместительству)"), head("Пол (мужской, женский)")],
        [box("<DATA>"), box("<OSNOVA.NOM>"), box("<OSNOVA.INN>"), box("<OSNOVA.STRAH_SVID>"),
         box("**<BUKVA>**"), box(), box(), box()],
    ])
    doc.p("ЛИЧНАЯ КАРТОЧКА", "Title")
    doc.p("работника", "CellC")
    doc.p("I. ОБЩИЕ СВЕДЕНИЯ", "Section")
    # 3: the employment contract.
    doc.table([11.0, 3.4, 1.4, 2.2], [
        [plain(), plain("Трудовой договор", "CellR"), box("номер"), box("<TRUD.NOM_DOG>")],
        [plain(), plain(), box("дата"), box("<TRUD.D_DOG>")],
    ])
    doc.gap()
    # 4: the name.
    doc.table([2.2, 4.6, 1.1, 3.9, 1.7, 4.5], [
        [plain("1. Фамилия"), line("**<FAM>**"), plain("Имя", "CellR"), line("**<IMJA>**"),
         plain("Отчество", "CellR"), line("**<OTCH>**")],
    ])
    doc.gap()
    # 5: birth, citizenship, languages.
    doc.table([5.0, 5.5, 5.0, 2.5], [
        [plain(), plain(), plain(), box("Код")],
        [plain("2. Дата рождения"), line("<PASSPORT.DATA_ROZHD>", span=2), box()],
        [plain("3. Место рождения"), line("<PASSPORT.MESTO_ROZH>", span=2), box()],
        [plain(), cap("(по ОКАТО)", span=2), plain()],
        [plain("4. Гражданство"), line("<PASSPORT.GRAZHD>", span=2), box()],
        [plain(), cap("(по ОКИН)", span=2), plain()],
        [plain("5. Знание иностранного языка"), line("<OSNOVA.IN_JAZ>"), line("<OSNOVA.UROVEN>"),
         box()],
        [plain(), cap("(наименование)"), cap("(степень знания)"), plain()],
    ])
    doc.gap()
    # 6: the level of education.
    doc.table([5.0, 10.5, 2.5], [
        [plain("6. Образование"), line("<OSNOVA.OBRAZ_N>"), box()],
        [plain(), cap("(начальное (основное) общее, среднее (полное) общее, начальное "
                      "профессиональное, среднее профессиональное, высшее профессиональное)"),
         plain()],
    ])
    doc.gap()
    # 7: the school and its document.
    doc.table([7.0, 3.5, 4.5, 3.0], [
        [head("Наименование образовательного учреждения", rows=2),
         head("Документ об образовании, о квалификации или наличии специальных знаний", span=2),
         head("Год окончания", rows=2)],
        [head("наименование"), head("серия, номер")],
        [box("<OBRAZ.UCHEB>", "Cell"), box("<OBRAZ.DOK_N>"), box("<OBRAZ.DOK_SER> <OBRAZ.DOK_NOM>"),
         box("<OBRAZ.GOD_OKON>")],
    ])
    doc.gap()
    # 8: qualification and speciality.
    doc.table([6.0, 9.5, 2.5], [
        [plain(), plain(), box("Код по ОКСО")],
        [plain("Квалификация по документу об образовании"), line("<OBRAZ.KVALIFIK>"), box()],
        [plain("Направление или специальность по документу"), line("<OBRAZ.SPEC>"), box()],
    ])
    doc.gap()
    # 9: postgraduate education.
    doc.table([7.0, 5.0, 3.0, 3.0], [
        [head("Послевузовское профессиональное образование (аспирантура, адъюнктура, докторантура)",
              span=4)],
        [head("Наименование образовательного, научного учреждения"),
         head("Документ об образовании, номер, дата выдачи"), head("Год окончания"),
         head("Код по ОКСО")],
        [box(), box(), box(), box()],
    ])
    doc.gap()
    # 10: profession.
    doc.table([5.0, 10.5, 2.5], [
        [plain(), plain(), box("Код по ОКПДТР")],
        [plain("7. Профессия основная"), line("<DOLZH.DOLZH>"), box()],
        [plain("другая"), line(), box()],
    ])
    doc.gap()
    # 11: length of service.
    doc.table([9.0, 3.0, 3.0, 3.0], [
        [head("8. Стаж работы (по состоянию на «<DATA>»)"), head("Дней"), head("Месяцев"),
         head("Лет")],
        [box("Общий", "Cell"), box("<OSNOVA.ST_OB_DN>"), box("<OSNOVA.ST_OB_MES>"),
         box("<OSNOVA.ST_OB_LET>")],
        [box("Непрерывный", "Cell"), box("<OSNOVA.ST_NP_DN>"), box("<OSNOVA.ST_NP_MES>"),
         box("<OSNOVA.ST_NP_LET>")],
        [box("Дающий право на надбавку за выслугу лет", "Cell"), box(), box(), box()],
    ])
    doc.p("9. Состояние в браке ____________________________________________________",
          "LabelPage")
    doc.p("10. Состав семьи:<SEMJA>", "Label")
    # 12: the family, filled by the program from the third row.
    numbered_table(doc, [5.0, 9.5, 3.5],
                   [head("Степень родства (ближайшие родственники)"),
                    head("Фамилия, имя, отчество"), head("Год рождения")],
                   FAMILY_ROWS)
    doc.gap()
    # 13: the passport.
    doc.table([2.6, 4.4, 3.2, 7.8], [
        [plain("11. Паспорт: №"), line("<PASSPORT.PASSPORT>"), plain("Дата выдачи", "CellR"),
         line("<PASSPORT.PASS_DATA>")],
        [plain("Выдан"), line("<PASSPORT.PASS_KEM>", span=3)],
        [plain(), cap("(наименование органа, выдавшего паспорт)", span=3)],
    ])
    doc.gap()
    # 14: addresses.
    doc.table([6.0, 12.0], [
        [plain("12. Адрес места жительства: по паспорту"), line("<PASSPORT.ADRESS>")],
        [plain("по месту регистрации"), line()],
        [plain("фактический"), line()],
    ])
    doc.gap()
    # 15: registration date and telephone.
    doc.table([7.0, 3.5, 3.0, 4.5], [
        [plain("13. Дата регистрации по месту жительства"), line(), plain("Номер телефона", "CellR"),
         line("<PASSPORT.TELEFON>")],
    ])
    doc.p("II. СВЕДЕНИЯ О ВОИНСКОМ УЧЕТЕ", "Section")
    # 16 and 17: military registration.
    doc.table([7.5, 10.5], [
        [plain("1. Категория запаса"), line("<VOEN.KATEGOR>")],
        [plain("2. Воинское звание"), line("<VOEN.ZVANIE>")],
        [plain("3. Состав (профиль)"), line("<VOEN.SOSTAV>")],
        [plain("4. Полное кодовое обозначение ВУС"), line("<VOEN.VUS>")],
        [plain("5. Категория годности к военной службе"), line("<VOEN.GODN>")],
    ])
    doc.gap()
    doc.table([7.5, 10.5], [
        [plain("6. Наименование военного комиссариата по месту жительства"),
         line("<VOEN.VOENKOM>")],
        [plain("7. Состоит на воинском учете: а) общем (номер команды, партии)"), line()],
        [plain("б) специальном"), line()],
        [plain("8. Отметка о снятии с воинского учета"), line()],
    ])
    doc.gap()
    # 18 and 19: signatures under sections I and II.
    staff_signature(doc)
    doc.gap()
    employee_signature(doc)
    doc.p("III. ПРИЕМ НА РАБОТУ И ПЕРЕВОДЫ НА ДРУГУЮ РАБОТУ<TRUD>", "SectionPage")
    # 20: the employment history, filled by the program from the third row: date, department,
    # position, salary.
    numbered_table(doc, [2.2, 4.0, 4.6, 2.6, 2.6, 2.0],
                   [head("Дата"), head("Структурное подразделение"),
                    head("Должность (специальность, профессия), разряд, класс (категория) "
                         "квалификации"),
                    head("Тарифная ставка (оклад), надбавка, руб."), head("Основание"),
                    head("Личная подпись владельца трудовой книжки")],
                   HISTORY_ROWS)
    doc.p("IV. АТТЕСТАЦИЯ", "Section")
    numbered_table(doc, [3.0, 6.0, 3.0, 3.0, 3.0],
                   [head("Дата аттестации", rows=2), head("Решение комиссии", rows=2),
                    head("Документ (протокол)", span=2), head("Основание", rows=2)],
                   3, [head("номер"), head("дата")])
    doc.p("V. ПОВЫШЕНИЕ КВАЛИФИКАЦИИ", "Section")
    numbered_table(doc, [2.0, 2.0, 2.6, 4.4, 2.2, 1.6, 1.6, 1.6],
                   [head("Дата", span=2), head("Вид повышения квалификации", rows=2),
                    head("Наименование образовательного учреждения, место его нахождения", rows=2),
                    head("Документ (удостоверение, свидетельство)", span=3),
                    head("Основание", rows=2)],
                   3, [head("начала обучения"), head("окончания обучения"), head("наименование"),
                       head("серия, номер"), head("дата")])
    doc.p("VI. ПРОФЕССИОНАЛЬНАЯ ПЕРЕПОДГОТОВКА", "Section")
    numbered_table(doc, [2.2, 2.2, 4.6, 2.6, 2.0, 2.0, 2.4],
                   [head("Дата", span=2), head("Специальность (направление, профессия)", rows=2),
                    head("Документ (диплом, свидетельство)", span=3), head("Основание", rows=2)],
                   3, [head("начала переподготовки"), head("окончания переподготовки"),
                       head("наименование"), head("номер"), head("дата")])
    doc.p("VII. НАГРАДЫ (ПООЩРЕНИЯ), ПОЧЕТНЫЕ ЗВАНИЯ", "SectionPage")
    numbered_table(doc, [8.0, 5.0, 2.5, 2.5],
                   [head("Наименование награды (поощрения)", rows=2), head("Документ", span=3)],
                   3, [head("наименование"), head("номер"), head("дата")])
    doc.p("VIII. ОТПУСК", "Section")
    numbered_table(doc, [4.4, 2.2, 2.2, 2.2, 2.2, 2.2, 2.6],
                   [head("Вид отпуска (ежегодный, учебный, без сохранения заработной платы и др.)",
                         rows=2),
                    head("Период работы", span=2),
                    head("Количество календарных дней отпуска", rows=2),
                    head("Дата", span=2), head("Основание", rows=2)],
                   4, [head("с"), head("по"), head("начала"), head("окончания")])
    doc.p("IX. СОЦИАЛЬНЫЕ ЛЬГОТЫ, на которые работник имеет право в соответствии с "
          "законодательством", "Section")
    numbered_table(doc, [7.0, 3.5, 3.5, 4.0],
                   [head("Наименование льготы", rows=2), head("Документ", span=2),
                    head("Основание", rows=2)],
                   2, [head("номер"), head("дата выдачи")])
    doc.p("X. ДОПОЛНИТЕЛЬНЫЕ СВЕДЕНИЯ", "Section")
    doc.table([6.0, 12.0], [
        [plain("<KONST.DOPOLN1>"), line("<DOPOLN.DOPOLN1>")],
        [plain("<KONST.DOPOLN2>"), line("<DOPOLN.DOPOLN2>")],
        [plain("<KONST.DOPOLN3>"), line("<DOPOLN.DOPOLN3>")],
        [plain(), line()],
    ])
    doc.p("XI. ОСНОВАНИЕ ПРЕКРАЩЕНИЯ ТРУДОВОГО ДОГОВОРА (УВОЛЬНЕНИЯ)", "Section")
    doc.table([6.0, 12.0], [
        [plain("Дата увольнения"), line("<TRUD.D_UVOL>")],
        [plain("Приказ (распоряжение) № ______ от"), line()],
    ])
    doc.gap()
    staff_signature(doc)
    doc.gap()
    employee_signature(doc)
    return doc


def certificate():
    doc = Document("Справка с места работы")
    doc.table([9.5, 1.5, 7.0], [
        [plain("**<KONST.ORGAN>**", "CellC"), plain(), plain()],
        [plain("<KONST.ADRES_ORG>", "CellC"), plain(), plain()],
        [plain("ИНН <KONST.INN_ORG>, ОКПО <KONST.OKPO>", "CellC"), plain(), plain()],
        [plain(), plain(), plain()],
        [plain("№ __________ от <DATA>", "CellC"), plain(), plain()],
    ])
    doc.p("", "BodyPlain")
    doc.p("СПРАВКА", "Title")
    doc.p("с места работы", "SubTitle")
    doc.p("", "BodyPlain")
    doc.p("Настоящая справка выдана", "BodyPlain")
    doc.table([5.0, 13.0], [
        [plain("фамилия, имя, отчество"), line("**<OSNOVA.FIO>**", "Cell")],
        [plain("дата рождения"), line("<PASSPORT.DATA_ROZHD>", "Cell")],
        [plain("паспорт"), line("<PASSPORT.PASSPORT>, выдан <PASSPORT.PASS_DATA>", "Cell")],
        [plain(), line("<PASSPORT.PASS_KEM>", "Cell")],
    ])
    doc.p("", "BodyPlain")
    doc.p("в том, что <FAM><IMJA><OTCH> действительно работает в <KONST.ORGAN> "
          "с <TRUD.D_POST> по настоящее время в должности «<DOLZH.DOLZH>» "
          "(подразделение: <OTDEL.OTDEL>), табельный номер <OSNOVA.NOM>.", "Body")
    doc.p("Должностной оклад составляет <OSNOVA.OKLAD> руб. (<OSNOVA.OKLAD_PROPIS>) в месяц.",
          "Body")
    doc.p("<DALEE>", "Body")
    doc.p("Справка выдана для предъявления по месту требования.", "Body")
    doc.p("", "BodyPlain")
    doc.table([6.5, 0.5, 4.0, 0.5, 6.5], [
        [plain("<KONST.DIREKTOR.DOLZH>"), plain(), line(), plain(),
         plain("<KONST.DIREKTOR.SOKR_FIO>")],
        [plain(), plain(), cap("(подпись)"), plain(), plain()],
        [plain(), plain(), plain(), plain(), plain()],
        [plain("<KONST.GL_BUH.DOLZH>"), plain(), line(), plain(), plain("<KONST.GL_BUH.SOKR_FIO>")],
        [plain(), plain(), cap("(подпись)"), plain(), plain()],
    ])
    doc.p("", "BodyPlain")
    doc.p("М.П.", "BodyPlain")
    doc.p("", "BodyPlain")
    doc.p("Исполнитель: <KONST.KADROVIK.SOKR_FIO>", "Cell")
    return doc


PERSONNEL = {
    "т-2.rtf": personal_card,
    "Справка с места работы.rtf": certificate,
}
