#include "config/MainWindowModel.h"

#include "config/ControlTable.h"

namespace {

void place(Control& c, int left, int top, int width, int height, bool visible = true) {
    c.geometry = {left, top, width, height};
    c.visible = visible;
}

void label(Label& l, const QString& caption, int left, int top, int width = 134) {
    place(l, left, top, width, 21, false);
    l.caption = caption;
}

void numeric(NumericField& f, int vor, int nach, const QString& text, int left, int top,
             int width = 70) {
    place(f, left, top, width, 21, false);
    f.Vorkommastellen = vor;
    f.Nachkommastellen = nach;
    f.text = text;
    f.Seperator = QStringLiteral(",");
}

void combo(ComboBox& c, const QStringList& items, int left, int top, int width = 70) {
    place(c, left, top, width, 21, false);
    c.items = items;
    c.itemIndex = items.isEmpty() ? -1 : 0;
}

void menu(MenuItem& m, const QString& caption, bool enabled = true, bool visible = true) {
    m.caption = caption;
    m.enabled = enabled;
    m.visible = visible;
}

// Row tops inside a group before the first layout: the row rule's design positions.
int row(int n) { return 20 + 24 * n; }

} // namespace

MainWindowModel::MainWindowModel() {
    caption = QStringLiteral("TRK/DVN-Konfigurationsprogramm");
    for (const ControlSpec& s : controltable::all())
        s.in(*this).name = QLatin1String(s.name);
    for (const MenuSpec& s : controltable::menus())
        if (s.get) s.get(*this).name = QLatin1String(s.name);

    place(Panel1, 0, 0, 729, 481);
    place(lMainCaption, 8, 8, 235, 24);
    lMainCaption.caption = QStringLiteral("DVN 20 TB");
    place(StatusBar1, 0, 482, 732, 25);

    // Extended configuration: hidden until the feature is unlocked and in use.
    place(gb_ErweiterteKonfiguration, 232, 8, 487, 65, false);
    gb_ErweiterteKonfiguration.caption = QStringLiteral("Erweiterte Konfiguration");
    label(l_Erw_Allgemein, QStringLiteral("Allgemein"), 8, 16, 90);
    label(l_Erw_Schaltfunktion1, QStringLiteral("Schaltfunktion 1"), 104, 16, 104);
    label(l_Erw_Alarm, QStringLiteral("Alarm"), 210, 16, 90);
    label(l_Erw_Schaltfunktion2, QStringLiteral("Schaltfunktion 2"), 306, 16, 96);
    for (Label* l : {&l_Erw_Allgemein, &l_Erw_Schaltfunktion1, &l_Erw_Alarm, &l_Erw_Schaltfunktion2})
        l->visible = true;
    place(e_erw_Allgemein, 8, 34, 80, 21);
    place(e_erw_Schaltfunktion1, 104, 34, 80, 21);
    place(e_erw_Alarm, 210, 34, 80, 21);
    place(e_erw_Schaltfunktion2, 306, 34, 80, 21);
    for (TextField* e : {&e_erw_Allgemein, &e_erw_Schaltfunktion1, &e_erw_Alarm, &e_erw_Schaltfunktion2}) {
        e->text = QStringLiteral("0");
        e->enabled = false;
    }
    place(b_erw_Anzeigen, 404, 32, 75, 25);
    b_erw_Anzeigen.caption = QStringLiteral("Anzeigen");

    // Radio groups
    place(rgInput, 8, 78, 217, 182);
    rgInput.caption = QStringLiteral("Input");
    place(rgOutput, 8, 262, 217, 160, false);
    rgOutput.caption = QStringLiteral("Ausgangsfunktion");
    place(rgReglerFunktion, 8, 423, 217, 113, false);
    rgReglerFunktion.caption = QStringLiteral("Regler Funktion");
    place(rgSensor, 231, 78, 162, 100, false);
    rgSensor.caption = QStringLiteral("Sens");

    // Settings group: labels right-aligned in front of fields at left 232, 70 wide.
    place(gpAnzeigeElemente, 399, 78, 320, 313, false);
    gpAnzeigeElemente.caption = QStringLiteral("Einstellwerte");
    const int fl = 232;
    const int ll = 8;
    const int lw = 218;
    label(lAnzeigeDp, QStringLiteral("Dezimalpunkt"), ll, row(0), lw);
    combo(cpAnzeigeDp, {QStringLiteral("0000"), QStringLiteral("000,0"), QStringLiteral("00,00"), QStringLiteral("0,000")}, fl,
          row(0));
    label(lAnzeigeLow, QStringLiteral("Anzeige bei 50mV"), ll, row(1), lw);
    numeric(neAnzeigeLow, 4, 0, QStringLiteral("0"), fl, row(1));
    label(lAnzeigeHigh, QStringLiteral("Anzeige bei 10V"), ll, row(2), lw);
    numeric(neAnzeigeHigh, 4, 0, QStringLiteral("1000"), fl, row(2));
    label(l_AnzeigeEinheit, QStringLiteral("Anzeige Einheit"), ll, row(3), lw);
    combo(cb_AnzeigeEinheit, {}, fl, row(3));
    label(lLimit, QStringLiteral("Limit"), ll, row(4), lw);
    combo(cbLimit, {QStringLiteral("off"), QStringLiteral("on.Er"), QStringLiteral("on.rG")}, fl, row(4));
    label(lFilter_or_edge, QStringLiteral("Filter"), ll, row(5), lw);
    numeric(neFilter, 1, 2, QStringLiteral("0"), fl, row(5));
    place(teFilter, fl, row(5), 70, 21, false);
    teFilter.text = QStringLiteral("0");
    teFilter.maxLength = 4;
    label(lMessbereichLow, QStringLiteral("niedrigste Frequenz"), ll, row(6), lw);
    numeric(neMessbereichLow, 4, 0, QStringLiteral("0"), fl, row(6));
    label(lMessbereichHigh, QStringLiteral("höchste Frequenz"), ll, row(7), lw);
    numeric(neMessbereichHigh, 4, 0, QStringLiteral("1000"), fl, row(7));
    label(lVorteiler, QStringLiteral("Vorteiler"), ll, row(8), lw);
    numeric(neVorteiler, 4, 0, QStringLiteral("1"), fl, row(8));
    label(lAnzeigeUnit, QStringLiteral("Anzeigeeinheit"), ll, row(9), lw);
    combo(cbAnzeigeUnit, {QStringLiteral("° C"), QStringLiteral("° F")}, fl, row(9));
    label(lAnzeigeMessart, QStringLiteral("Anzeigemessart"), ll, row(10), lw);
    combo(cbAnzeigeMessart, {QStringLiteral("° C"), QStringLiteral("° F")}, fl, row(10));
    label(lEdge, QStringLiteral("Flanke"), ll, row(11), lw);
    combo(cbEdge, {QStringLiteral("positiv"), QStringLiteral("negativ")}, fl, row(11));

    // Switching outputs: 241 wide, fields at left 146.
    const int ofl = 146;
    const int ofw = 88;
    place(gpOut1Parameter, 231, 190, 241, 160, false);
    gpOut1Parameter.caption = QStringLiteral("Schaltausgang 1");
    place(gpOut2Parameter, 478, 262, 241, 160, false);
    gpOut2Parameter.caption = QStringLiteral("Schaltausgang 2");
    const QStringList offOn = {QStringLiteral("Off"), QStringLiteral("On")};
    const QStringList modes = {QStringLiteral("NPN"), QStringLiteral("PNP"), QStringLiteral("Push-Pull")};
    // The two switching-output groups have the same rows; the groups themselves decide what shows.
    struct OutputRows {
        Label &on, &off, &delay, &preferred, &mode;
        NumericField &neOn, &neOff, &neDelay;
        ComboBox &cbPreferred, &cbMode;
    };
    const OutputRows outputs[] = {
        {lOut1Einschaltpunkt, lOut1Ausschaltpunkt, lOut1Delay, lOut1Vorzugslage, lOut1Mode, neOut1Einschaltpunkt,
         neOut1Ausschaltpunkt, neOut1Delay, cbOut1Vorzugslage, cbOut1Mode},
        {lOut2Einschaltpunkt, lOut2Ausschaltpunkt, lOut2Delay, lOut2Vorzugslage, lOut2Mode, neOut2Einschaltpunkt,
         neOut2Ausschaltpunkt, neOut2Delay, cbOut2Vorzugslage, cbOut2Mode},
    };
    for (int i = 0; i < 2; ++i) {
        const OutputRows& o = outputs[i];
        label(o.on, QStringLiteral("Einschaltpunkt"), 8, row(0));
        numeric(o.neOn, 4, 0, QStringLiteral("1000"), ofl, row(0), ofw);
        label(o.off, QStringLiteral("Ausschaltpunkt"), 8, row(1));
        numeric(o.neOff, 4, 0, QStringLiteral("0"), ofl, row(1), ofw);
        label(o.delay, QStringLiteral("Verzögerung"), 8, row(2));
        numeric(o.neDelay, 1, 2, QStringLiteral("1"), ofl, row(2), ofw);
        label(o.preferred, QStringLiteral("Vorzugslage"), 8, row(3));
        combo(o.cbPreferred, offOn, ofl, row(3), ofw);
        label(o.mode, QStringLiteral("Ausgangsart"), 8, row(4));
        combo(o.cbMode, modes, ofl, row(4), ofw);
        for (Control* c : std::initializer_list<Control*>{&o.on, &o.neOn, &o.off, &o.neOff, &o.delay, &o.neDelay,
                                                           &o.preferred, &o.cbPreferred, &o.mode, &o.cbMode})
            c->visible = true;
    }

    // Analog output
    place(gpAnalogOut1, 478, 319, 241, 155, false);
    gpAnalogOut1.caption = QStringLiteral("Analog Ausgang (Strom 0...20mA)");
    combo(cbStromAusgang, {QStringLiteral("4...20 mA"), QStringLiteral("0...20 mA")}, ofl, row(0),
          ofw);
    label(gpAnalogOut1DAWlo, QStringLiteral("DAC Low"), 8, row(1));
    numeric(neDAC_Low, 4, 0, QStringLiteral("0"), ofl, row(1), ofw);
    label(gpAnalogOut1DAWhi, QStringLiteral("DAC High"), 8, row(2));
    numeric(neDAC_High, 4, 0, QStringLiteral("10"), ofl, row(2), ofw);
    // The fail-safe items ("On >23[mA]") are wider than the other fields allow in the
    // group's bold font; this row's short label leaves the list room on its left.
    label(gpAnalogOut1DAWerr, QStringLiteral("DAC im Fehlerfall"), 8, row(3), 122);
    combo(cbAnalogOut1Vorzugslage, {QStringLiteral("Off 0[mA]"), QStringLiteral("On >23,5[mA]")}, ofl - 12, row(3), ofw + 12);
    label(l_Out1DAFilter, QStringLiteral("DAC Filter"), 8, row(4));
    numeric(neDAFilter, 4, 0, QStringLiteral("0"), ofl, row(4), ofw);
    for (Control* c : std::initializer_list<Control*>{&cbStromAusgang, &gpAnalogOut1DAWlo, &neDAC_Low,
                                                       &gpAnalogOut1DAWhi, &neDAC_High, &gpAnalogOut1DAWerr,
                                                       &cbAnalogOut1Vorzugslage, &l_Out1DAFilter, &neDAFilter})
        c->visible = true;

    // PID controller: disabled and hidden at design time.
    place(gpPIDRegler, 231, 119, 241, 219, false);
    gpPIDRegler.enabled = false;
    gpPIDRegler.caption = QStringLiteral("PID-Regler");
    const QString k1000 = QStringLiteral("1000");
    label(lPID_SP1, QStringLiteral("Sollwert"), 8, row(0));
    numeric(nePID_SP1, 4, 0, k1000, ofl, row(0), ofw);
    label(lPID_Proportional, QStringLiteral("ProportionalBand"), 8, row(1));
    numeric(nePID_Proportional, 4, 0, k1000, ofl, row(1), ofw);
    label(l_PIDIntegral, QStringLiteral("Nachstellzeit"), 8, row(2));
    numeric(ne_PIDIntegral, 4, 0, k1000, ofl, row(2), ofw);
    label(lPID_Derivation, QStringLiteral("Vorhaltezeit"), 8, row(3));
    numeric(nePID_Derivation, 4, 0, k1000, ofl, row(3), ofw);
    label(l_PID_CyC, QStringLiteral("Zykluszeit"), 8, row(4));
    numeric(nePID_CyC, 4, 0, k1000, ofl, row(4), ofw);
    label(lPIDdur, QStringLiteral("Laufzeit"), 8, row(5));
    numeric(nePIDdur, 4, 0, k1000, ofl, row(5), ofw);
    label(lPIDthr, QStringLiteral("Mindestregelwert"), 8, row(6));
    numeric(nePIDthr, 4, 0, k1000, ofl, row(6), ofw);
    label(lPID_Vorzugslage, QStringLiteral("Vorzugslage"), 8, row(7));
    combo(cbPID_Vorzugslage, offOn, ofl, row(7), ofw);
    for (Control* c : std::initializer_list<Control*>{
             &lPID_SP1, &nePID_SP1, &lPID_Proportional, &nePID_Proportional, &l_PIDIntegral, &ne_PIDIntegral,
             &lPID_Derivation, &nePID_Derivation, &l_PID_CyC, &nePID_CyC, &lPIDdur, &nePIDdur, &lPIDthr, &nePIDthr,
             &lPID_Vorzugslage, &cbPID_Vorzugslage})
        c->visible = true;

    // Menus
    menu(mmDatei, QStringLiteral("&Datei"));
    menu(miDatenspeichern, QStringLiteral("Konfiguration &speichern"), false);
    menu(lesen1, QStringLiteral("Konfiguration &lesen"));
    menu(Beenden, QStringLiteral("&Beenden"));
    menu(miKonfigurationsblattDrucken, QStringLiteral("Konfigurationsblatt &drucken…"));
    menu(miKonfigurationsblattPdf, QStringLiteral("Konfigurationsblatt als &PDF…"));
    menu(mmKonfiguration, QStringLiteral("&Konfiguration"));
    menu(Datenlesen1, QStringLiteral("&Neu"));
    menu(Konfigurationlesen1, QStringLiteral("&Einlesen"), false);
    menu(miKonfigurationprogrammieren1, QStringLiteral("&Programmieren"), false);
    menu(miRueckgaengig, QStringLiteral("Rückgängig"), false);
    miRueckgaengig.shortcut = QStringLiteral("Ctrl+Z");
    menu(miWiederholen, QStringLiteral("Wiederholen"), false);
    miWiederholen.shortcut = QStringLiteral("Ctrl+Y");
    menu(miPruefenNachProgrammieren, QStringLiteral("Nach dem Programmieren prüfen"));
    miPruefenNachProgrammieren.checked = true;
    menu(mmTyp, QStringLiteral("&Typ"));
    for (const ModelEntry* m = catalogue::begin(); m != catalogue::end(); ++m) {
        MenuItem& item = modelItem(m->id);
        item.name = QLatin1String(m->menuItem);
        menu(item, QString::fromUtf8(m->designCaption));
    }
    modelItem(ModelId::DVN20TB).checked = true;
    menu(Schnittstelle, QStringLiteral("&Schnittstelle"));
    menu(mmSelectedComPort, QStringLiteral("Kein ComPort ausgewählt"), false);
    menu(Portauswahl1, QStringLiteral("Portauswahl"));
    menu(MainMenueWandler, QStringLiteral("&Wandler"));
    menu(MainMenueWandlerItem0, QStringLiteral("&TBW1, TBW3, TBW64, TBW240"));
    menu(MainMenueWandlerItem1, QStringLiteral("TBW&2"));
    menu(MainMenueWandlerItem2, QStringLiteral("TBW64&E, universal Echo"));
    menu(MainMenueWandlerItem3, QStringLiteral("TB&500, TB500MC"));
    menu(mmExtras, QStringLiteral("&Extras"));
    menu(MainMenueExtrasAnzeigeeinheit, QStringLiteral("&Anzeigeeinheit Sichtbar"));
    menu(MainMenueExtras_ErweiterteKonfiguration, QStringLiteral("&Erweiterte Konfiguration"), false, false);
    menu(MainMenueExtrasAdresseSetzen, QStringLiteral("Adresse &Setzen"));
    menu(mmExtras_GeraeteNamenZuweisen, QStringLiteral("Geräte Bezeichnung ändern"));
    menu(MainMenueExtras_SelectAddress, QStringLiteral("Adresse &wählen"));
    menu(MainMenueDurchflussMessung, QStringLiteral("&Druchfluss-Messung"));
    menu(MainMenueExtras_Busmonitor, QStringLiteral("&Busmonitor"));
    menu(MainMenueExtras_Vergleichen, QStringLiteral("&Vergleichen…"));
    menu(MainMenueExtras_BusDurchsuchen, QStringLiteral("B&us durchsuchen…"));
    menu(MainMenueExtras_Anlage, QStringLiteral("Anlage &prüfen und programmieren…"));
    menu(MainMenueExtras_Geraetearchiv, QStringLiteral("Gerätea&rchiv…"));
    menu(MainMenueExtras_MesswertAnzeigen, QStringLiteral("&Messwert anzeigen…"));
    menu(MainMenuHilfe, QStringLiteral("&Hilfe"));
    menu(MainMenueQM, QStringLiteral("&?"));
    menu(MainMenueUeber, QStringLiteral("&Info"));
    menu(_mHilfe_Kurzanleitung, QStringLiteral("&Kurzanleitung"));
    menu(_mHilfe_HandbuchPdf, QStringLiteral("Handbuch als &PDF"));
    menu(pm_MessbereichAnzeigen, QStringLiteral("Messbereich Anzeigen"));
}

const ModelEntry* MainWindowModel::checkedModel() const {
    for (const ModelEntry* m = catalogue::begin(); m != catalogue::end(); ++m) {
        if (modelItem(m->id).checked)
            return m;
    }
    return nullptr;
}

QList<NumericField*> MainWindowModel::numericFields() {
    QList<NumericField*> out;
    for (const ControlSpec& s : controltable::all())
        if (s.kind == ControlKind::Numeric) out.append(static_cast<NumericField*>(&s.in(*this)));
    return out;
}

QList<MenuItem*> MainWindowModel::menuItems() {
    QList<MenuItem*> out;
    for (const MenuSpec& s : controltable::menus()) {
        if (s.get)
            out.append(&s.get(*this));
        else
            for (MenuItem& m : modelItems)
                out.append(&m);
    }
    return out;
}

QList<Control*> MainWindowModel::controls() {
    QList<Control*> out;
    for (const ControlSpec& s : controltable::all())
        out.append(&s.in(*this));
    return out;
}

Control* MainWindowModel::control(const QString& name) {
    for (Control* c : controls()) {
        if (c->name == name)
            return c;
    }
    return nullptr;
}

NumericField* MainWindowModel::numericField(const QString& name) {
    for (NumericField* f : numericFields()) {
        if (f->name == name)
            return f;
    }
    return nullptr;
}

MenuItem* MainWindowModel::menuItem(const QString& name) {
    for (MenuItem* m : menuItems()) {
        if (m->name == name)
            return m;
    }
    return nullptr;
}
