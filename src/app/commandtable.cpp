#include "app/commandtable.h"

namespace {
constexpr CommandRule A = CommandRule::Always;
constexpr CommandRule G = CommandRule::Graph;
constexpr CommandTool N = CommandTool::None;

const char* const kFile = "&Fichiers";
const char* const kShow = "&Affichage";
const char* const kReader = "&Lecteur didactique";
const char* const kTek = "&Acq. Tektronix";
const char* const kGds = "&Acq. GDS-820C (GW Instek)";
const char* const kScpi = "Acq. &oscilloscope USB/Ethernet (Rigol, Keysight)";
const char* const kLeuze = "L&ecteur Leuze";
const char* const kCode = "&Code EAN13";
const char* const kGraph = "&Graphe";
} // namespace

const CommandInfo kCommandTable[] = {
    {kCmdFileOpen, kFile, nullptr, "&Ouvrir ...", "Ouvre un document existant\nOuvrir...", "Ctrl+O",
     A, N, false},
    {kCmdFileSave, kFile, nullptr, "&Sauver", "Enregistre le document actif\nEnregistrer", "Ctrl+S",
     A, N, false},
    {kCmdFileSaveAs, kFile, nullptr, "Sau&ver sous ...",
     "Enregistre le document actif sous un nouveau nom\nEnregistrer sous", nullptr, A, N, true},
    {kCmdExportText, kFile, nullptr, "&Ecrire [.TXT] Excel...",
     "Ecrire un fichier texte compatible Excel", nullptr, G, N, false},
    {kCmdReadImage, kFile, nullptr, "&Lire image...",
     "Lecture d'une image pour étude de contraste\nLecture image", nullptr, A, N, true},
    {kCmdPrint, kFile, nullptr, "&Imprimer ...", "Imprime le document actif\nImprimer...", "Ctrl+P",
     A, N, false},
    {kCmdPrintPreview, kFile, nullptr, "&Aperçu avant impression",
     "Affiche des pages entières\nAperçu avant impression", nullptr, A, N, false},
    {kCmdPrintSetup, kFile, nullptr, "&Configurer imprimante ...",
     "Change les options d'imprimante et d'impression\nConfiguration de l'impression", nullptr, A,
     N, true},
    {kCmdRecentFiles, kFile, nullptr, "&Fichiers récents", "Ouvre ce fichier", nullptr, A, N, true},
    {kCmdExit, kFile, nullptr, "&Quitter", "Ferme l'application\nQuitter", "Alt+X", A, N, false},

    {kCmdToolbar, kShow, nullptr, "&Barre d'outils",
     "Affiche ou masque la barre d'outils\nBarre d'outils", nullptr, A, N, false},
    {kCmdStatusBar, kShow, nullptr, "Barre d'é&tat",
     "Affiche ou masque la barre d'état\nBarre d'état", nullptr, A, N, false},

    {kCmdDisplayType, "&Visualisation", nullptr, "&Définir le type de visualisation...",
     "Sélection entre code, graphe ou image\nVisualiser...", nullptr, A, N, false},

    {kCmdPcMes3, kReader, nullptr, "&Acq. Eurosmart PC-MES3",
     "Acquisition du code via entrées logiques carte Eurosmart\nAcquérir code PC-MES3", nullptr,
     CommandRule::PortIo, N, false},
    {kCmdTekPort, kReader, kTek, "&Port série oscilloscope...",
     "Sélection port série et test communication\nPort série oscilloscope...", nullptr, A, N,
     false},
    {kCmdTekAcquire, kReader, kTek, "&Acquérir...",
     "Acquérir le spectre oscilloscope\nAcquérir code oscilloscope...", nullptr, A, N, false},
    {kCmdGdsPort, kReader, kGds, "&Port série oscilloscope...",
     "Sélection port série et test communication\nPort série oscilloscope...", nullptr, A, N,
     false},
    {kCmdGdsAcquire, kReader, kGds, "&Acquérir...",
     "Acquisition spectre sur oscilloscope GW Instek", nullptr, A, N, true},
    {kCmdScpiPort, kReader, kScpi, "&Connexion oscilloscope...",
     "Choix du port USB ou réseau et test communication\nConnexion oscilloscope...", nullptr, A, N,
     false},
    {kCmdScpiAcquire, kReader, kScpi, "&Acquérir...",
     "Acquisition spectre sur oscilloscope Rigol ou Keysight\nAcquérir...", nullptr, A, N, false},
    {kCmdImportScope, kReader, nullptr, "&Importer fichier oscilloscope...",
     "Lire le fichier CSV enregistré par un oscilloscope ou un logiciel\nImporter fichier "
     "oscilloscope...",
     nullptr, A, N, true},
    {kCmdRotate, kReader, nullptr, "&Retourner/Inverser code...",
     "Tourner le code autour de l'axe X et/ou Y\nRetourner/Inverser code...", nullptr, G, N, false},
    {kCmdExtract, kReader, nullptr, "&Extraire code...",
     "Extraire le code code barre d'après acquisition oscilloscope\nExtraire code...", nullptr, G,
     CommandTool::Extraction, false},
    {kCmdAnalyse, kReader, nullptr, "&Analyser code...",
     "Analyser le code extrait\nAnalyser code...", nullptr, G, N, false},

    {kCmdLeuzeConnect, kLeuze, nullptr, "&Connecter...", "", nullptr, A, N, false},
    {kCmdLeuzeLaser, kLeuze, nullptr, "&Générer faisceau laser...",
     "Mise en marche du laser sans lecture de code\nMise en route...", nullptr, A, N, false},
    {kCmdLeuzeRead, kLeuze, nullptr, "&Lire codes...",
     "Lire les codes placés sous le lecteur Leuze\nAcquérir code Leuze...", nullptr, A, N, false},

    {kCmdGenerateCode, kCode, nullptr, "&Générer code...",
     "Génération d'un code barres\nGénérer code...", nullptr, A, N, false},
    {kCmdCodeParameters, kCode, nullptr, "&Paramétrer code...",
     "Définition des paramètres du code barres\nParamétrer code...", nullptr, A, N, false},

    {kCmdRegressions, kGraph, nullptr, "&Régressions...",
     "Calcul de régressions linéaires ou polynomiales\nRégressions...", nullptr, G,
     CommandTool::Regression, false},
    {kCmdZoom, kGraph, nullptr, "&Zoom...", "Zoom sur le graphe\nZoom...", nullptr, G,
     CommandTool::Zoom, false},
    {kCmdLegend, kGraph, nullptr, "&Légende...", "Personnaliser la légende du graphe\nLégende",
     nullptr, G, N, false},

    {kCmdAbout, "&?", nullptr, "&A propos de ...",
     "Affiche des informations sur le programme\nA propos de ...", nullptr, A, N, false},
};
const int kCommandCount = int(sizeof kCommandTable / sizeof kCommandTable[0]);

const int kToolbarCommands[] = {
    kCmdFileOpen,
    kCmdFileSave,
    0,
    kCmdPrintPreview,
    kCmdPrint,
    0,
    kCmdDisplayType,
    0,
    kCmdLeuzeRead,
    0,
    kCmdRotate,
    kCmdExtract,
    kCmdAnalyse,
    0,
    kCmdGenerateCode,
    kCmdCodeParameters,
    0,
    kCmdZoom,
    kCmdRegressions,
    0,
    kCmdAbout,
};
const int kToolbarCount = int(sizeof kToolbarCommands / sizeof kToolbarCommands[0]);

const CommandInfo* FindCommand(int id) {
    for (const CommandInfo& command : kCommandTable)
        if (command.id == id) return &command;
    return nullptr;
}
