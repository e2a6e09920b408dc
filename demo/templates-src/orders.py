"""The HR order templates, after the unified forms T-1, T-5, T-6, T-8 and T-9."""

from fodt import Document, TEXT_WIDTH_CM, box, cap, head, line, plain

APPROVAL = "Унифицированная форма № {form}\nУтверждена постановлением Госкомстата России\nот 05.01.2004 № 1"


def form_head(doc, form, okud):
    """The approval note, the organisation with its codes and the order's number and date."""
    doc.p(APPROVAL.format(form=form), "Note")
    doc.gap()
    doc.table([12.5, 3.0, 2.5], [
        [plain(), plain(), box("Код", "CellC")],
        [plain(), plain("Форма по ОКУД", "CellR"), box(okud)],
        [line("**<KONST.ORGAN>**"), plain("по ОКПО", "CellR"), box("<KONST.OKPO>")],
        [cap("(наименование организации)"), plain(), plain()],
    ])
    doc.gap()
    doc.table([4.5, 3.0, 3.0], [
        [plain(), head("Номер документа"), head("Дата составления")],
        [plain("**ПРИКАЗ**", "Title"), box("**<ZHURDOK.NOM_DOK>**"), box("**<ZHURDOK.DATA_DOK>**")],
    ], align="center")


def employee(doc):
    """Full name and personnel number."""
    doc.table([13.5, 1.0, 3.5], [
        [plain(), plain(), head("Табельный номер")],
        [line("**<OSNOVA.FIO>**"), plain(), box("<OSNOVA.NOM>")],
        [cap("(фамилия, имя, отчество)"), plain(), plain()],
    ])


def place(doc, first, department, position, extra=None):
    """Department and position, each on a line with its caption."""
    rows = [
        [plain(first), line(department)],
        [plain(), cap("(структурное подразделение)")],
        [plain(), line(position)],
        [plain(), cap("(должность (специальность, профессия), разряд, класс (категория) квалификации)")],
    ]
    if extra:
        rows += [[plain(), line(extra[0])], [plain(), cap(extra[1])]]
    doc.table([2.5, TEXT_WIDTH_CM - 2.5], rows)


def dates(doc, what):
    doc.table([9.5, 1.0, 3.0], [
        [plain(), plain(), head("Дата")],
        [plain(what, "CellR"), plain("с", "CellC"), box("<ZHURDOK.D_NACH>")],
        [plain(), plain("по", "CellC"), box("<ZHURDOK.D_KONC>")],
    ])


def signatures(doc, acquainted=True):
    doc.gap()
    doc.table([4.5, 5.5, 0.4, 3.0, 0.4, 4.2], [
        [plain("**Руководитель организации**"), line("<KONST.DIREKTOR.DOLZH>"), plain(), line(),
         plain(), line("<KONST.DIREKTOR.SOKR_FIO>")],
        [plain(), cap("(должность)"), plain(), cap("(личная подпись)"), plain(),
         cap("(расшифровка подписи)")],
    ])
    if acquainted:
        doc.gap()
        doc.table([7.5, 4.0, 0.5, 6.0], [
            [plain("С приказом (распоряжением) работник ознакомлен"), line(), plain(),
             plain("«____» ________________ 20___ г.", "CellC")],
            [plain(), cap("(личная подпись)"), plain(), plain()],
        ])


def hire():
    doc = Document("Приказ о приеме работника на работу")
    form_head(doc, "Т-1", "0301001")
    doc.p("(распоряжение)", "CellC")
    doc.p("о приеме работника на работу", "SubTitle")
    dates(doc, "Принять на работу")
    doc.gap()
    employee(doc)
    place(doc, "в", "<PRIEM.OTDEL>", "<PRIEM.DOLZH>",
          ("<PRIEM.VID_RAB>", "(условия приема на работу, характер работы)"))
    doc.p("с тарифной ставкой (окладом) **<PRIEM.OKLAD>** руб. 00 коп. (<OSNOVA.OKLAD_PROPIS>)",
          "Text")
    doc.p("надбавкой ____________ руб. ____ коп.", "Text")
    doc.p("Особые условия: <PRIEM.KOMENT>", "Text")
    doc.gap()
    doc.table([3.0, 4.5, 0.8, 3.5, 6.2], [
        [plain("Основание:"), plain(), plain(), plain(), plain()],
        [plain("Трудовой договор от"), line("<TRUD.D_DOG>"), plain("№", "CellC"),
         line("<TRUD.NOM_DOG>"), plain()],
    ])
    signatures(doc)
    return doc


def transfer():
    doc = Document("Приказ о переводе работника на другую работу")
    form_head(doc, "Т-5", "0301004")
    doc.p("(распоряжение)", "CellC")
    doc.p("о переводе работника на другую работу", "SubTitle")
    dates(doc, "Перевести на другую работу")
    doc.gap()
    employee(doc)
    doc.table([4.0, TEXT_WIDTH_CM - 4.0], [
        [plain("Прежнее место работы"), line("<TRUD.PRED.OTDEL>")],
        [plain(), cap("(структурное подразделение)")],
        [plain(), line("<TRUD.PRED.DOLZH>")],
        [plain(), cap("(должность (специальность, профессия), разряд, класс (категория) квалификации)")],
        [plain("Причина перевода"), line("<PRIEM.KOMENT>")],
        [plain("Новое место работы"), line("**<PRIEM.OTDEL>**")],
        [plain(), cap("(структурное подразделение)")],
        [plain(), line("**<PRIEM.DOLZH>**")],
        [plain(), cap("(должность (специальность, профессия), разряд, класс (категория) квалификации)")],
    ])
    doc.p("тарифная ставка (оклад) **<PRIEM.OKLAD>** руб. 00 коп. (<OSNOVA.OKLAD_PROPIS>)",
          "Text")
    doc.p("надбавка ____________ руб. ____ коп.", "Text")
    doc.p("Основание: <ZHURDOK.OSNOVAN>", "Text")
    signatures(doc)
    return doc


def vacation():
    doc = Document("Приказ о предоставлении отпуска работнику")
    form_head(doc, "Т-6", "0301005")
    doc.p("(распоряжение)", "CellC")
    doc.p("о предоставлении отпуска работнику", "SubTitle")
    doc.p("Предоставить отпуск", "Label")
    employee(doc)
    place(doc, "", "<OTDEL.OTDEL>", "<DOLZH.DOLZH>")
    doc.table([4.2, 3.0, 0.8, 3.0, 7.0], [
        [plain("за период работы с"), line("<OTPUSK.RAB_OT>"), plain("по", "CellC"),
         line("<OTPUSK.RAB_DO>"), plain()],
    ])
    doc.p("<OTPUSK.KOMENT>", "Text")
    doc.table([4.5, 4.5, 4.5, 4.5], [
        [head("Количество календарных дней отпуска", span=2), head("Дата начала отпуска", rows=2),
         head("Дата окончания отпуска", rows=2)],
        [head("всего"), head("в том числе дополнительного")],
        [box("**<OTPUSK.OTP_OSN>**"), box("<OTPUSK.OTP_DOP>"), box("**<ZHURDOK.D_NACH>**"),
         box("**<ZHURDOK.D_KONC>**")],
    ])
    doc.p("Основание: <ZHURDOK.OSNOVAN>", "Text")
    signatures(doc)
    return doc


def dismissal():
    doc = Document("Приказ о прекращении трудового договора с работником")
    form_head(doc, "Т-8", "0301006")
    doc.p("(распоряжение)", "CellC")
    doc.p("о прекращении (расторжении) трудового договора с работником (увольнении)", "SubTitle")
    doc.table([7.0, 3.0, 0.8, 3.0, 4.2], [
        [plain("Прекратить действие трудового договора от"), line("<TRUD.D_DOG>"),
         plain("№", "CellC"), line("<TRUD.NOM_DOG>"), plain(",")],
        [plain("уволить"), line("**<ZHURDOK.D_NACH>**"), plain(), plain(), plain()],
        [plain(), cap("(дата)"), plain(), plain(), plain()],
    ])
    doc.gap()
    employee(doc)
    place(doc, "", "<TRUD.OTDEL>", "<TRUD.DOLZH>",
          ("<UVOL.KOMENT>", "(основание прекращения (расторжения) трудового договора (увольнения))"))
    doc.p("Компенсация за неиспользованный отпуск (удержание за отпуск, предоставленный авансом): "
          "**<UVOL.DN_KOM>** календарных дней.", "Text")
    doc.p("Выходное пособие: <UVOL.DN_POS> дней.", "Text")
    doc.p("Основание (документ, номер, дата): <ZHURDOK.OSNOVAN>", "Text")
    signatures(doc)
    doc.gap()
    doc.table([7.5, TEXT_WIDTH_CM - 7.5], [
        [plain("Мотивированное мнение выборного органа первичной профсоюзной организации "
               "в письменной форме (от «___» ______ 20__ г. № ____) рассмотрено"), line()],
    ])
    return doc


def business_trip():
    doc = Document("Приказ о направлении работника в командировку")
    form_head(doc, "Т-9", "0301022")
    doc.p("(распоряжение)", "CellC")
    doc.p("о направлении работника в командировку", "SubTitle")
    doc.p("Направить в командировку", "Label")
    employee(doc)
    place(doc, "", "<OTDEL.OTDEL>", "<DOLZH.DOLZH>")
    doc.table([3.5, TEXT_WIDTH_CM - 3.5], [
        [plain("место назначения"), line("**<KOMAND.KUDA>, <KOMAND.ORGAN>**")],
        [plain(), cap("(страна, город, организация)")],
    ])
    doc.table([6.0, 1.0, 3.0, 1.0, 3.0, 4.0], [
        [plain("сроком на ____ календарных дней"), plain("с", "CellC"), box("<ZHURDOK.D_NACH>"),
         plain("по", "CellC"), box("<ZHURDOK.D_KONC>"), plain()],
    ])
    doc.table([2.5, TEXT_WIDTH_CM - 2.5], [
        [plain("с целью"), line("<KOMAND.TSEL>")],
        [plain(), cap("(цель)")],
    ])
    doc.p("Командировка за счет средств ______________________________________", "Text")
    doc.p("Примечание: <KOMAND.KOMENT>", "Text")
    doc.p("Основание (документ, номер, дата): <ZHURDOK.OSNOVAN>", "Text")
    signatures(doc)
    return doc


ORDERS = {
    "т-1.RTF": hire,
    "т-5.RTF": transfer,
    "т-6.RTF": vacation,
    "т-8.RTF": dismissal,
    "т-9.RTF": business_trip,
}
