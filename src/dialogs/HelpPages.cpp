#include "dialogs/HelpPages.h"

namespace zelm {

// The first six pages were the program's from the start; the others tell what it learned
// since. Each alternative follows its picture's prose.
const std::array<HelpPage, 11> HelpPages = {{
    {"InleidingP", "Inleiding", -1, ":/help/Inleiding.svg", true,
     "Welkom bij ZelmEditor. ZelmEditor is een kleine editor voor wiskundige aantekeningen. Een "
     "document is een kolom van regels; in elke regel typt u gewone tekst of een formule. In de "
     "formulemodus herkent het programma namen als sin, cos, log en ln terwijl u typt, zet het "
     "letters schuin en maakt u met een paar toetsen machten, breuken, wortels, haakjes, "
     "integralen en sommen. Voorbeeldformule: f van x is gelijk aan x kwadraat plus breuk, "
     "wortel uit x plus 1, gedeeld door 2, einde breuk, plus som van k is 1 tot n van, haakje "
     "openen, breuk, x, gedeeld door k, einde breuk, haakje sluiten. U bewaart uw werk als "
     ".mds-bestand, als plaatje of op papier. Kies links een onderwerp. Een letter, Enter of "
     "Esc sluit dit venster; met F1 in een regel komt het terug."},
    {"InstallatieP", "Installatie", -1, ":/help/Installatie.svg", true,
     "Installeren: vanuit de broncode bouwt en start make run het programma. make install "
     "PREFIX=$HOME/.local (of sudo make install) installeert het met een menu-item en het "
     "bestandstype .mds; make package maakt een Debian-pakket. Geeft u een document mee "
     "(ZelmEditor werk.mds), dan opent het programma dat meteen. Herstel: het geïnstalleerde "
     "programma bewaart de herstelstanden (*.wes) en Instellingen.ops in "
     "~/.local/share/TextverwerkerZelm/Herstel/ en meldt één keer dat het die map maakt. "
     "Gestart vanuit de bouwmap gebruikt het build/Herstel. Sterretje bovenaan: lees verder bij "
     "Gebruik; daar staat hoe u formules typt. Sterretje bij Herstel: wat daar staat, haalt u "
     "terug met het menu Herstel; zie Herstellen en Ongedaan maken."},
    {"GebruikP", "Gebruik", -1, ":/help/Help.svg", false,
     "Formules typen. Zet de regel met Ctrl+T in formulemodus en typ gewoon: functienamen "
     "worden vet, letters schuin. Deze toetsen maken een structuur; typ daarna de inhoud en ga "
     "er met pijl rechts of End weer uit. Shift+pijl omhoog: macht, x kwadraat plus y tot de "
     "macht n. Shift+pijl omlaag: index, a index n plus a index n plus 1. Alt+pijl omhoog: "
     "breuk, a plus b gedeeld door c. Schuine streep: schuine breuk, 1 gedeeld door 2 plus 3 "
     "gedeeld door 4. Ctrl+pijl omhoog: wortel, r is gelijk aan wortel uit x plus 1, plus "
     "derdemachtswortel uit 8. Ctrl+0: haakjes, 2 maal haakje openen breuk a gedeeld door b "
     "haakje sluiten. Ctrl+D: afgeleide, d f naar d x. Ctrl+P pi, Ctrl+E e: 2 pi r plus e tot "
     "de macht x. Ctrl+I: integraal van t kwadraat d t. Ctrl+S: som van k is 0 tot n van k "
     "kwadraat. Ctrl+Shift+2: macht, e tot de macht x plus x kwadraat. Shift+Alt+n: index, x "
     "index n plus y index 0. Enter splitst een regel, Backspace en Delete voegen regels "
     "samen. Iets misgegaan? Zie Herstellen."},
    {"HerstellenP", "Herstellen", 2, ":/help/Herstellen.svg", true,
     "Herstellen: terug naar een eerdere stand. Voordat Enter een regel splitst en voordat "
     "Backspace of Delete twee regels samenvoegt, bewaart ZelmEditor het hele document als "
     "genummerde stand in de map Herstel. In het menu Herstel gaat Vorige (Ctrl+Shift+Z) een "
     "stand terug en Terug (Ctrl+Shift+T) weer een stand vooruit. Stand 1: a kwadraat plus b "
     "kwadraat is gelijk aan c kwadraat. Stand 2: a kwadraat plus b kwadraat is gelijk aan c "
     "kwadraat, c is gelijk aan 5. Bij het sluiten bewaart het programma het document als "
     "stand 0; na de volgende start haalt Vorige het terug. Binnen één regel maakt Ctrl+Z "
     "(Herstellen in het regelmenu) de laatste wijzigingen ongedaan."},
    {"InvoerP", "Invoer", 2, ":/help/invoer.svg", true,
     "Tekst en formules invoeren. Een nieuwe regel staat in tekstmodus (Plain): wat u typt, "
     "blijft zoals het is. Ctrl+T (PlainText in het regelmenu) zet de regel in formulemodus "
     "(Zelm). Dezelfde toetsen geven dan: als tekst y=sin(x)+a.b, als formule y is gelijk aan "
     "sinus x plus a maal b. Griekse letters: druk op Scroll Lock en typ één letter; a wordt "
     "alfa, b bèta, p pi, s sigma. De letter daarna is weer gewoon. Voorbeeld: alfa plus bèta "
     "is gelijk aan gamma kwadraat. De functielijst (Ctrl+L, FunctieLijst in het regelmenu) "
     "toont alle namen, tekens en sneltoetsen; een keuze wordt in de regel getypt. Onder "
     "Instellingen kiest u lettertype, grootte, kleur en modus voor nieuwe regels. Wijs een "
     "regel aan met de muis: de hint toont het regelnummer en de modus. Klik rechts op een "
     "regel voor het regelmenu."},
    {"CopyP", "Doorgeven", 2, ":/help/Copy.jpg", true,
     "Een formule doorgeven. Voorbeeldformule: x is gelijk aan breuk, min b plus wortel uit b "
     "kwadraat min 4 a c, gedeeld door 2 a, einde breuk. Kopiëren, JPG maakt van alle regels "
     "één plaatje: het komt op het klembord en als bestand (de venstertitel met .jpg) op het "
     "bureaublad. Kopiëren, Metafile maakt er een vectorplaatje van, Meta.wmf op het "
     "bureaublad en op het klembord; het blijft scherp bij elke grootte. Plak het plaatje met "
     "Ctrl+V in een verslag, een mail of een chat; WhatsAppWeb start uw berichtenprogramma. "
     "Print zet alle regels op één pagina, zo breed als het papier. Stukken van regels "
     "verplaatst u binnen het programma met Knippen, Kopiëren en Plakken (Ctrl+X, Ctrl+C, "
     "Ctrl+V) in het regelmenu; de formules gaan mee."},
    {"PlakkenP", "Kopiëren en plakken", 2, ":/help/Plakken.svg", true,
     "Formules kopiëren en plakken. Ctrl+Alt+C (Kopiëren als formule in het regelmenu) zet de "
     "regel, of wat u erin geselecteerd hebt, als bewerkbare wiskunde op het klembord: als "
     "LaTeX, MathML en UnicodeMath. Plak met Ctrl+V in LibreOffice Writer (een formule die u "
     "kunt bewerken), in een webpagina of in een LaTeX-bestand. Voorbeeld: breuk, a plus b "
     "gedeeld door c, einde breuk, wordt in LaTeX \\frac{a+b}{c}. Ctrl+Alt+V (Plakken als "
     "formule) "
     "leest MathML of LaTeX van het klembord in de regel, op de plaats van de cursor. Wat een "
     "regel niet kan bevatten, wordt de dichtstbijzijnde vorm; een melding zegt wat er "
     "veranderde. Ctrl+C en Ctrl+V zonder Alt kopiëren en plakken binnen het programma; "
     "plaatjes: zie Doorgeven."},
    {"ExporterenP", "Exporteren", 2, ":/help/Exporteren.svg", true,
     "Exporteren: het hele document als aantekeningen. Kopiëren, Exporteren… bewaart alle "
     "regels in één bestand met bewerkbare wiskunde; het type kiest u in het opslagvenster. "
     ".tex: een LaTeX-artikel. .html: een webpagina met MathML. .md: Markdown, elke formule "
     "tussen dubbele dollartekens. .mml: één MathML-document. .pdf: A4-pagina's met de regels. "
     ".odt: OpenDocument voor LibreOffice Writer, elke formule een bewerkbaar formule-object. "
     ".docx: Word, elke formule een bewerkbare vergelijking. Plaatjes (PNG, JPEG en PDF) tekent "
     "het programma op een schaal naar keuze, scherp genoeg om af te drukken; het exportvenster "
     "vraagt de schaal. Zonder venster, vanaf de opdrachtregel: ZelmEditor --export "
     "aantekeningen.docx werk.mds. ZelmEditor --scale 3 --export formules.png werk.mds. "
     "ZelmEditor --export aantekeningen.pdf --pages werk.mds. ZelmEditor --help noemt alle "
     "mogelijkheden."},
    {"OngedaanP", "Ongedaan maken", 2, ":/help/Ongedaan.svg", true,
     "Ongedaan maken en opnieuw. Binnen één regel maakt Ctrl+Z (Herstellen in het regelmenu) "
     "de laatste wijziging ongedaan, tot tien stappen terug; Ctrl+Y (Opnieuw) doet ze weer, tot "
     "u iets nieuws typt. Voorbeeld: x kwadraat plus 1; Ctrl+Z geeft x kwadraat plus, Ctrl+Y "
     "weer x kwadraat plus 1. Het hele document: vóór Enter, het samenvoegen van regels en de "
     "opdrachten die alles veranderen (Nieuw, Alles wissen, Openen, Font, PlainText) bewaart "
     "het programma een herstelstand. Herstel, Vorige (Ctrl+Shift+Z) gaat een stand terug, "
     "Terug (Ctrl+Shift+T) een stand vooruit; Herstel, Vorige sessies… toont de standen van "
     "eerdere sessies. Noodkopie: enkele seconden nadat u stopt met typen bewaart het "
     "programma het document; sluit het onverwacht af, dan biedt de volgende start het werk "
     "aan."},
    {"ZoomenP", "Zoomen", 2, ":/help/Zoomen.svg", true,
     "Zoomen: groter of kleiner op het scherm. Ctrl+Alt+= vergroot de regels, Ctrl+Alt+- "
     "verkleint ze en Ctrl+Alt+0 zet ze terug op 100 procent; Ctrl met het muiswiel doet "
     "hetzelfde. De zoom loopt van 50 tot 400 procent, in stappen van 10; de opdrachten staan "
     "ook in het venstermenu. Voorbeeld: breuk, a plus b gedeeld door c, einde breuk, op 100 "
     "en op 200 procent. Zoomen verandert alleen hoe de regels op het scherm staan: het "
     "document, de herstelstanden, plaatjes, exports en afdrukken blijven zoals ze zijn. Het "
     "programma onthoudt de zoom voor de volgende keer."},
    {"SchermlezerP", "Schermlezer", 2, ":/help/Schermlezer.svg", true,
     "Met een schermlezer. ZelmEditor werkt met de schermlezer Orca. Elke regel heet Regel 1, "
     "Regel 2, enzovoort, en Orca leest de formule in het Nederlands voor. Voorbeeld: x "
     "kwadraat plus 1 gedeeld door 2; Orca zegt: x kwadraat plus een half. Ctrl+Alt+S leest de "
     "hele regel voor. "
     "Onderweg hoort u waar de cursor komt, bijvoorbeeld in de teller. Ctrl+T wisselt tussen "
     "formulemodus en tekstmodus en zegt welke. In de functielijst (Ctrl+L) leest Orca elke "
     "cel in woorden. In dit helpvenster brengt Tab u van de onderwerpen naar de pagina; Orca "
     "leest dan de tekst van de pagina."},
}};

} // namespace zelm
