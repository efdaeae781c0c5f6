<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="fr_FR">
<context>
    <name>CAboutDlg</name>
    <message>
        <source>About Wingmate</source>
        <translation>À propos de Wingmate</translation>
    </message>
    <message>
        <source>&lt;b&gt;Tessera Wingmate&lt;/b&gt;&lt;br&gt;%1&lt;br&gt;&lt;br&gt;A macro manager for Linux desktops.</source>
        <translation>&lt;b&gt;Tessera Wingmate&lt;/b&gt;&lt;br&gt;%1&lt;br&gt;&lt;br&gt;Un gestionnaire de macros pour les bureaux Linux.</translation>
    </message>
    <message>
        <source>Version %1</source>
        <translation>Version %1</translation>
    </message>
</context>
<context>
    <name>CDBusNotifier</name>
    <message>
        <source>Show Output</source>
        <translation>Afficher la sortie</translation>
    </message>
</context>
<context>
    <name>CEditorDlg</name>
    <message>
        <source>&amp;File</source>
        <translation>&amp;Fichier</translation>
    </message>
    <message>
        <source>&amp;Open</source>
        <translation>&amp;Ouvrir</translation>
    </message>
    <message>
        <source>&amp;Script</source>
        <translation>&amp;Script</translation>
    </message>
    <message>
        <source>&amp;Declarations</source>
        <translation>&amp;Déclarations</translation>
    </message>
    <message>
        <source>&amp;All</source>
        <translation>&amp;Tout</translation>
    </message>
    <message>
        <source>Save &amp;All</source>
        <translation>Enregistrer &amp;tout</translation>
    </message>
    <message>
        <source>Save S&amp;cript As...</source>
        <translation>Enregistrer le script &amp;sous...</translation>
    </message>
    <message>
        <source>&amp;Print...</source>
        <translation>&amp;Imprimer...</translation>
    </message>
    <message>
        <source>&amp;Refresh Decs</source>
        <translation>Recharger les dé&amp;clarations</translation>
    </message>
    <message>
        <source>E&amp;xit</source>
        <translation>&amp;Quitter</translation>
    </message>
    <message>
        <source>&amp;Edit</source>
        <translation>&amp;Modifier</translation>
    </message>
    <message>
        <source>&amp;Undo</source>
        <translation>&amp;Annuler</translation>
    </message>
    <message>
        <source>&amp;Redo</source>
        <translation>&amp;Rétablir</translation>
    </message>
    <message>
        <source>Cu&amp;t</source>
        <translation>&amp;Couper</translation>
    </message>
    <message>
        <source>&amp;Copy</source>
        <translation>Co&amp;pier</translation>
    </message>
    <message>
        <source>&amp;Paste</source>
        <translation>C&amp;oller</translation>
    </message>
    <message>
        <source>&amp;Find</source>
        <translation>Rec&amp;hercher</translation>
    </message>
    <message>
        <source>R&amp;eplace</source>
        <translation>R&amp;emplacer</translation>
    </message>
    <message>
        <source>&amp;Go to Line...</source>
        <translation>A&amp;ller à la ligne...</translation>
    </message>
    <message>
        <source>Complete &amp;Word</source>
        <translation>Compléter le &amp;mot</translation>
    </message>
    <message>
        <source>&amp;Run</source>
        <translation>&amp;Exécuter</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>&amp;Aide</translation>
    </message>
    <message>
        <source>&amp;Wingmate</source>
        <translation>&amp;Wingmate</translation>
    </message>
    <message>
        <source>&amp;Tessera</source>
        <translation>&amp;Tessera</translation>
    </message>
    <message>
        <source>Window Declarations</source>
        <translation>Déclarations de fenêtres</translation>
    </message>
    <message>
        <source>Line: %1</source>
        <translation>Ligne : %1</translation>
    </message>
    <message>
        <source>How the script is read and written (File &gt; Reopen with Encoding, Save with Encoding)</source>
        <translation>Comment le script est lu et écrit (Fichier &gt; Rouvrir avec l&apos;encodage, Enregistrer avec l&apos;encodage)</translation>
    </message>
    <message>
        <source>Col: %1</source>
        <translation>Col. : %1</translation>
    </message>
    <message>
        <source>Line %1, column %2: </source>
        <translation>Ligne %1, colonne %2 : </translation>
    </message>
    <message>
        <source>&amp;Save</source>
        <translation>&amp;Enregistrer</translation>
    </message>
    <message>
        <source>Reopen &amp;with Encoding</source>
        <translation>Rouvrir &amp;avec l&apos;encodage</translation>
    </message>
    <message>
        <source>Save with &amp;Encoding</source>
        <translation>Enregistrer avec l&apos;enco&amp;dage</translation>
    </message>
    <message>
        <source>Reading %1…</source>
        <translation>Lecture de %1…</translation>
    </message>
    <message>
        <source>Not UTF-8: read as %1 (File &gt; Reopen with Encoding chooses another).</source>
        <translation>Pas en UTF-8 : lu en %1 (Fichier &gt; Rouvrir avec l&apos;encodage en choisit un autre).</translation>
    </message>
    <message>
        <source>Scripts run from an editor opened by the main window.</source>
        <translation>Les scripts s&apos;exécutent depuis un éditeur ouvert par la fenêtre principale.</translation>
    </message>
    <message>
        <source>The script is still running (Stop on the main window ends it).</source>
        <translation>Le script est toujours en cours (Arrêter dans la fenêtre principale l&apos;arrête).</translation>
    </message>
    <message>
        <source>Not run: line %1, column %2: %3</source>
        <translation>Non exécuté : ligne %1, colonne %2 : %3</translation>
    </message>
    <message>
        <source>Not run: %1</source>
        <translation>Non exécuté : %1</translation>
    </message>
    <message>
        <source>Running %1… (output on the main window&apos;s Output page)</source>
        <translation>%1 en cours… (sortie dans la page Sortie de la fenêtre principale)</translation>
    </message>
    <message>
        <source> It wrote no log.</source>
        <translation> Il n&apos;a écrit aucun journal.</translation>
    </message>
    <message>
        <source> Its output is in %1.</source>
        <translation> Sa sortie est dans %1.</translation>
    </message>
    <message>
        <source>Run of %1 ended.</source>
        <translation>Exécution de %1 terminée.</translation>
    </message>
    <message>
        <source>Run of %1 failed: </source>
        <translation>Échec de l&apos;exécution de %1 : </translation>
    </message>
    <message>
        <source>line %1: %2</source>
        <translation>ligne %1 : %2</translation>
    </message>
    <message>
        <source>Go to Line</source>
        <translation>Aller à la ligne</translation>
    </message>
    <message>
        <source>Line number:</source>
        <translation>Numéro de ligne :</translation>
    </message>
</context>
<context>
    <name>CFindDlg</name>
    <message>
        <source>Fi&amp;nd what:</source>
        <translation>&amp;Rechercher :</translation>
    </message>
    <message>
        <source>Re&amp;place with:</source>
        <translation>Remplacer &amp;par :</translation>
    </message>
    <message>
        <source>Match &amp;case</source>
        <translation>Respecter la &amp;casse</translation>
    </message>
    <message>
        <source>Match &amp;whole word only</source>
        <translation>&amp;Mot entier uniquement</translation>
    </message>
    <message>
        <source>W&amp;rap around</source>
        <translation>Recherche circ&amp;ulaire</translation>
    </message>
    <message>
        <source>&amp;Find Next</source>
        <translation>&amp;Suivant</translation>
    </message>
    <message>
        <source>Find Pre&amp;vious</source>
        <translation>Précé&amp;dent</translation>
    </message>
    <message>
        <source>&amp;Replace</source>
        <translation>R&amp;emplacer</translation>
    </message>
    <message>
        <source>Replace &amp;All</source>
        <translation>Remplacer &amp;tout</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Fermer</translation>
    </message>
    <message>
        <source>Replace</source>
        <translation>Remplacer</translation>
    </message>
    <message>
        <source>Find</source>
        <translation>Rechercher</translation>
    </message>
    <message>
        <source>Search wrapped around.</source>
        <translation>La recherche a repris au début.</translation>
    </message>
    <message>
        <source>Cannot find &quot;%1&quot;.</source>
        <translation>« %1 » introuvable.</translation>
    </message>
    <message>
        <source>%1 replaced.</source>
        <translation>%1 remplacé(s).</translation>
    </message>
</context>
<context>
    <name>CInputDlg</name>
    <message>
        <source>Tessera - Input Required</source>
        <translation>Tessera - Saisie requise</translation>
    </message>
    <message>
        <source>Input Instructions</source>
        <translation>Instructions de saisie</translation>
    </message>
</context>
<context>
    <name>CLogPage</name>
    <message>
        <source>Run Time</source>
        <translation>Heure d&apos;exécution</translation>
    </message>
    <message>
        <source>Macro</source>
        <translation>Macro</translation>
    </message>
    <message>
        <source>Run Log</source>
        <translation>Journal d&apos;exécution</translation>
    </message>
    <message>
        <source>Clear Log File</source>
        <translation>Vider le fichier journal</translation>
    </message>
    <message>
        <source>Save Log File As</source>
        <translation>Enregistrer le fichier journal sous</translation>
    </message>
    <message>
        <source>Clear Display</source>
        <translation>Effacer l&apos;affichage</translation>
    </message>
    <message>
        <source>Log File: &quot;Wingmate.log&quot;</source>
        <translation>Fichier journal : « Wingmate.log »</translation>
    </message>
    <message>
        <source>All Files (*)</source>
        <translation>Tous les fichiers (*)</translation>
    </message>
</context>
<context>
    <name>CMainDlg</name>
    <message>
        <source>Macros</source>
        <translation>Macros</translation>
    </message>
    <message>
        <source>Manager</source>
        <translation>Gestion</translation>
    </message>
    <message>
        <source>Scheduler</source>
        <translation>Planificateur</translation>
    </message>
    <message>
        <source>Output</source>
        <translation>Sortie</translation>
    </message>
    <message>
        <source>Log</source>
        <translation>Journal</translation>
    </message>
    <message>
        <source>Macro &quot;%1&quot; failed</source>
        <translation>Échec de la macro « %1 »</translation>
    </message>
    <message>
        <source>&amp;Stop Executing Macro</source>
        <translation>&amp;Arrêter l&apos;exécution de la macro</translation>
    </message>
    <message>
        <source>Another program holds the keys %1 of macro &quot;%2&quot;: it still runs, but the focused window gets them too.</source>
        <translation>Un autre programme détient les touches %1 de la macro « %2 » : elle s&apos;exécute toujours, mais la fenêtre active les reçoit aussi.</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>&amp;Fichier</translation>
    </message>
    <message>
        <source>&amp;Hide</source>
        <translation>&amp;Masquer</translation>
    </message>
    <message>
        <source>&amp;Macro Wizard</source>
        <translation>&amp;Assistant de macro</translation>
    </message>
    <message>
        <source>&amp;Save Macros</source>
        <translation>&amp;Enregistrer les macros</translation>
    </message>
    <message>
        <source>&amp;Restore Macros</source>
        <translation>&amp;Restaurer les macros</translation>
    </message>
    <message>
        <source>&amp;Exit</source>
        <translation>&amp;Quitter</translation>
    </message>
    <message>
        <source>&amp;Macro</source>
        <translation>&amp;Macro</translation>
    </message>
    <message>
        <source>&amp;New</source>
        <translation>&amp;Nouveau</translation>
    </message>
    <message>
        <source>Cu&amp;t</source>
        <translation>&amp;Couper</translation>
    </message>
    <message>
        <source>&amp;Copy</source>
        <translation>Co&amp;pier</translation>
    </message>
    <message>
        <source>&amp;Delete</source>
        <translation>&amp;Supprimer</translation>
    </message>
    <message>
        <source>Paste &amp;In</source>
        <translation>Coller &amp;dedans</translation>
    </message>
    <message>
        <source>Paste &amp;After</source>
        <translation>Coller &amp;après</translation>
    </message>
    <message>
        <source>Paste &amp;Before</source>
        <translation>Coller a&amp;vant</translation>
    </message>
    <message>
        <source>E&amp;xecute</source>
        <translation>E&amp;xécuter</translation>
    </message>
    <message>
        <source>&amp;Stop</source>
        <translation>Arrê&amp;ter</translation>
    </message>
    <message>
        <source>&amp;Script</source>
        <translation>&amp;Script</translation>
    </message>
    <message>
        <source>&amp;Open</source>
        <translation>&amp;Ouvrir</translation>
    </message>
    <message>
        <source>&amp;Edit</source>
        <translation>&amp;Modifier</translation>
    </message>
    <message>
        <source>&amp;Record</source>
        <translation>&amp;Enregistrer</translation>
    </message>
    <message>
        <source>&amp;Declarations</source>
        <translation>&amp;Déclarations</translation>
    </message>
    <message>
        <source>&amp;Log</source>
        <translation>&amp;Journal</translation>
    </message>
    <message>
        <source>&amp;Save Log File</source>
        <translation>&amp;Enregistrer le fichier journal</translation>
    </message>
    <message>
        <source>Clear Log &amp;Display</source>
        <translation>Effacer l&apos;&amp;affichage du journal</translation>
    </message>
    <message>
        <source>Clear Log &amp;File</source>
        <translation>Effacer le &amp;fichier journal</translation>
    </message>
    <message>
        <source>&amp;Tools</source>
        <translation>&amp;Outils</translation>
    </message>
    <message>
        <source>Disable &amp;Scheduler</source>
        <translation>Désactiver le &amp;planificateur</translation>
    </message>
    <message>
        <source>Disable &amp;Triggers</source>
        <translation>Désactiver les &amp;déclencheurs</translation>
    </message>
    <message>
        <source>&amp;Options</source>
        <translation>&amp;Options</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>&amp;Aide</translation>
    </message>
    <message>
        <source>&amp;Wingmate</source>
        <translation>&amp;Wingmate</translation>
    </message>
    <message>
        <source>&amp;Tessera</source>
        <translation>&amp;Tessera</translation>
    </message>
    <message>
        <source>&amp;About</source>
        <translation>À &amp;propos</translation>
    </message>
    <message>
        <source>Hide</source>
        <translation>Masquer</translation>
    </message>
    <message>
        <source>Hide Wingmate</source>
        <translation>Masquer Wingmate</translation>
    </message>
    <message>
        <source>New</source>
        <translation>Nouvelle</translation>
    </message>
    <message>
        <source>New Macro</source>
        <translation>Nouvelle macro</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Enregistrer</translation>
    </message>
    <message>
        <source>Save Macros</source>
        <translation>Enregistrer les macros</translation>
    </message>
    <message>
        <source>Wizard</source>
        <translation>Assistant</translation>
    </message>
    <message>
        <source>Macro Wizard</source>
        <translation>Assistant de macro</translation>
    </message>
    <message>
        <source>New Script</source>
        <translation>Nouveau script</translation>
    </message>
    <message>
        <source>Open Script</source>
        <translation>Ouvrir un script</translation>
    </message>
    <message>
        <source>Edit Script</source>
        <translation>Modifier le script</translation>
    </message>
    <message>
        <source>Record</source>
        <translation>Enregistrer</translation>
    </message>
    <message>
        <source>Record Script</source>
        <translation>Enregistrer un script</translation>
    </message>
    <message>
        <source>Run</source>
        <translation>Exécuter</translation>
    </message>
    <message>
        <source>Run Macro</source>
        <translation>Exécuter la macro</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>Arrêter</translation>
    </message>
    <message>
        <source>Stop Macro</source>
        <translation>Arrêter la macro</translation>
    </message>
    <message>
        <source>Help</source>
        <translation>Aide</translation>
    </message>
    <message>
        <source>Wingmte Help</source>
        <translation>Aide de Wingmate</translation>
    </message>
    <message>
        <source>Toolbar</source>
        <translation>Barre d&apos;outils</translation>
    </message>
    <message>
        <source>Unknown Error.  Could not execute %1</source>
        <translation>Erreur inconnue. Impossible d&apos;exécuter %1</translation>
    </message>
    <message>
        <source>Wingmate Error</source>
        <translation>Erreur Wingmate</translation>
    </message>
    <message>
        <source>Could not write the recovery copy of a script: %1</source>
        <translation>Impossible d&apos;écrire la copie de récupération d&apos;un script : %1</translation>
    </message>
    <message>
        <source>The unsaved scripts were kept in %1</source>
        <translation>Les scripts non enregistrés ont été conservés dans %1</translation>
    </message>
    <message>
        <source>Recording is unavailable: this build has no recorder for the desktop.</source>
        <translation>L&apos;enregistrement est indisponible : cette version n&apos;a pas d&apos;enregistreur pour le bureau.</translation>
    </message>
</context>
<context>
    <name>CManagerPage</name>
    <message>
        <source>Script File</source>
        <translation>Fichier script</translation>
    </message>
    <message>
        <source>Script Files (*.tsc);;All Files (*)</source>
        <translation>Fichiers script (*.tsc);;Tous les fichiers (*)</translation>
    </message>
    <message>
        <source>Executable</source>
        <translation>Exécutable</translation>
    </message>
    <message>
        <source>All Files (*)</source>
        <translation>Tous les fichiers (*)</translation>
    </message>
    <message>
        <source>Macr&amp;o Set</source>
        <translation>&amp;Groupe de macros</translation>
    </message>
    <message>
        <source>Macro &amp;Name:</source>
        <translation>&amp;Nom de la macro :</translation>
    </message>
    <message>
        <source>Browse...</source>
        <translation>Parcourir...</translation>
    </message>
    <message>
        <source>F&amp;ile:</source>
        <translation>&amp;Fichier :</translation>
    </message>
    <message>
        <source>Executa&amp;ble:</source>
        <translation>E&amp;xécutable :</translation>
    </message>
    <message>
        <source>&amp;Use Tessera</source>
        <translation>&amp;Utiliser Tessera</translation>
    </message>
    <message>
        <source>Descri&amp;ption:</source>
        <translation>Descri&amp;ption :</translation>
    </message>
    <message>
        <source>Trigger Combination</source>
        <translation>Combinaison de déclenchement</translation>
    </message>
    <message>
        <source>Press the keys</source>
        <translation>Appuyez sur les touches</translation>
    </message>
    <message>
        <source>Cle&amp;ar</source>
        <translation>Effa&amp;cer</translation>
    </message>
    <message>
        <source>Prefi&amp;x:</source>
        <translation>Préf&amp;ixe :</translation>
    </message>
    <message>
        <source>Held by another program</source>
        <translation>Détenue par un autre programme</translation>
    </message>
    <message>
        <source>Another program holds these keys: the macro still runs, but the focused window gets the keys too.</source>
        <translation>Un autre programme détient ces touches : la macro s&apos;exécute toujours, mais la fenêtre active reçoit aussi les touches.</translation>
    </message>
    <message>
        <source>Run Schedule</source>
        <translation>Planification</translation>
    </message>
    <message>
        <source>Fre&amp;quency: Every</source>
        <translation>Fré&amp;quence : tous les</translation>
    </message>
    <message>
        <source>Starting Date:</source>
        <translation>Date de début :</translation>
    </message>
    <message>
        <source>At Tim&amp;e:</source>
        <translation>À l&apos;&amp;heure :</translation>
    </message>
    <message>
        <source>Last Run</source>
        <translation>Dernière exécution</translation>
    </message>
    <message>
        <source>Last Run:</source>
        <translation>Dernière exécution :</translation>
    </message>
    <message>
        <source>A&amp;dd Macro</source>
        <translation>A&amp;jouter la macro</translation>
    </message>
    <message>
        <source>&amp;Clear Fields</source>
        <translation>Vi&amp;der les champs</translation>
    </message>
    <message>
        <source>&amp;Wizard</source>
        <translation>Assist&amp;ant</translation>
    </message>
    <message>
        <source>Executable:</source>
        <translation>Exécutable :</translation>
    </message>
    <message>
        <source>Macro set</source>
        <translation>Groupe de macros</translation>
    </message>
    <message>
        <source>Macro</source>
        <translation>Macro</translation>
    </message>
    <message>
        <source>Typed in any window and followed by a space, Tab, Enter or punctuation, it is erased and the macro runs (up to %1 characters).</source>
        <translation>Tapée dans n&apos;importe quelle fenêtre et suivie d&apos;une espace, d&apos;une tabulation, d&apos;Entrée ou d&apos;une ponctuation, elle est effacée et la macro s&apos;exécute (%1 caractères au plus).</translation>
    </message>
    <message>
        <source>Expand immediatel&amp;y</source>
        <translation>Remp&amp;lacer immédiatement</translation>
    </message>
    <message>
        <source>Runs as soon as the abbreviation is typed, without waiting for the end of the word.</source>
        <translation>S&apos;exécute dès que l&apos;abréviation est tapée, sans attendre la fin du mot.</translation>
    </message>
    <message>
        <source>Match case</source>
        <translation>Respecter la casse</translation>
    </message>
    <message>
        <source>The replacement follows the case of the typing: &quot;Sig&quot; gives &quot;Signature&quot;.</source>
        <translation>Le remplacement suit la casse de la frappe : « Sig » donne « Signature ».</translation>
    </message>
    <message>
        <source>Abbre&amp;viation:</source>
        <translation>Abré&amp;viation :</translation>
    </message>
    <message>
        <source>Typed instead of running the script when not empty. $|$ marks where the caret ends; {clipboard} is replaced by the clipboard&apos;s text and {date:%Y-%m-%d} by today&apos;s date in that format.</source>
        <translation>Tapé au lieu d&apos;exécuter le script s&apos;il n&apos;est pas vide. $|$ marque où finit le curseur ; {clipboard} est remplacé par le texte du presse-papiers et {date:%Y-%m-%d} par la date du jour dans ce format.</translation>
    </message>
    <message>
        <source>Replace with text:</source>
        <translation>Remplacer par le texte :</translation>
    </message>
    <message>
        <source>Every window</source>
        <translation>Toutes les fenêtres</translation>
    </message>
    <message>
        <source>The keys and the abbreviation work only in the windows this names: * matches any text, or a regular expression after re:. Empty: every window.</source>
        <translation>Les touches et l&apos;abréviation n&apos;agissent que dans les fenêtres nommées ici : * correspond à n&apos;importe quel texte, ou une expression régulière après re:. Vide : toutes les fenêtres.</translation>
    </message>
    <message>
        <source>by class</source>
        <translation>par classe</translation>
    </message>
    <message>
        <source>by title</source>
        <translation>par titre</translation>
    </message>
    <message>
        <source>Only these</source>
        <translation>Seulement celles-ci</translation>
    </message>
    <message>
        <source>All but these</source>
        <translation>Toutes sauf celles-ci</translation>
    </message>
    <message>
        <source>Pic&amp;k Window</source>
        <translation>Poin&amp;ter une fenêtre</translation>
    </message>
    <message>
        <source>Click a window to take its class or title.</source>
        <translation>Cliquez sur une fenêtre pour prendre sa classe ou son titre.</translation>
    </message>
    <message>
        <source>Windows matchin&amp;g:</source>
        <translation>Fenêt&amp;res correspondantes :</translation>
    </message>
    <message>
        <source>%1 It is not saved until it is mended.</source>
        <translation>%1 Ce n&apos;est pas enregistré tant que ce n&apos;est pas corrigé.</translation>
    </message>
</context>
<context>
    <name>COptionsDlg</name>
    <message>
        <source>Wingmate Options</source>
        <translation>Options de Wingmate</translation>
    </message>
    <message>
        <source>Initialization</source>
        <translation>Initialisation</translation>
    </message>
    <message>
        <source>Enable &amp;Triggers at Start-up</source>
        <translation>Activer les &amp;déclencheurs au démarrage</translation>
    </message>
    <message>
        <source>Enable &amp;Scheduler at Start-up</source>
        <translation>Activer le &amp;planificateur au démarrage</translation>
    </message>
    <message>
        <source>&amp;Hide Wingmate at Start-up</source>
        <translation>&amp;Masquer Wingmate au démarrage</translation>
    </message>
    <message>
        <source>&amp;Run macros missed while the computer slept</source>
        <translation>&amp;Exécuter les macros manquées pendant la veille de l&apos;ordinateur</translation>
    </message>
    <message>
        <source>Start Wingmate when I &amp;log in</source>
        <translation>Démarrer Wingmate à l&apos;&amp;ouverture de session</translation>
    </message>
    <message>
        <source>Default &amp;Delay for Recording:</source>
        <translation>Dé&amp;lai par défaut pour l&apos;enregistrement :</translation>
    </message>
    <message>
        <source>Automatically clear Log file &amp;after</source>
        <translation>Vider automatiquement le journal &amp;après</translation>
    </message>
    <message>
        <source>milliseconds</source>
        <translation>millisecondes</translation>
    </message>
    <message>
        <source>lines</source>
        <translation>lignes</translation>
    </message>
    <message>
        <source>(Enter 0 to never automatically clear the Log file)</source>
        <translation>(Saisissez 0 pour ne jamais vider automatiquement le journal)</translation>
    </message>
</context>
<context>
    <name>COutputPage</name>
    <message>
        <source>Last Macro Run: </source>
        <translation>Dernière macro exécutée : </translation>
    </message>
    <message>
        <source>Last Macro Run</source>
        <translation>Dernière macro exécutée</translation>
    </message>
    <message>
        <source>Script Output</source>
        <translation>Sortie du script</translation>
    </message>
</context>
<context>
    <name>CQtScriptDialogs</name>
    <message>
        <source>Tessera - Choose</source>
        <translation>Tessera - Choisir</translation>
    </message>
    <message>
        <source>Tessera - Choose a File</source>
        <translation>Tessera - Choisir un fichier</translation>
    </message>
    <message>
        <source>Tessera - Choose a Folder</source>
        <translation>Tessera - Choisir un dossier</translation>
    </message>
</context>
<context>
    <name>CQuickMenuDlg</name>
    <message>
        <source>Macro Quick Menu</source>
        <translation>Menu rapide des macros</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Annuler</translation>
    </message>
</context>
<context>
    <name>CRecordDlg</name>
    <message>
        <source>Record Script</source>
        <translation>Enregistrer un script</translation>
    </message>
    <message>
        <source>Recording Options</source>
        <translation>Options d&apos;enregistrement</translation>
    </message>
    <message>
        <source>Hide while recoding</source>
        <translation>Masquer pendant l&apos;enregistrement</translation>
    </message>
    <message>
        <source>Insert &apos;Sleep&apos; when idle more than </source>
        <translation>Insérer &apos;Sleep&apos; après une inactivité de plus de </translation>
    </message>
    <message>
        <source>Truncate Afx:</source>
        <translation>Tronquer Afx:</translation>
    </message>
    <message>
        <source> ms</source>
        <translation> ms</translation>
    </message>
    <message>
        <source>To stop recording, press</source>
        <translation>Pour arrêter l&apos;enregistrement, appuyez sur</translation>
    </message>
    <message>
        <source>seconds</source>
        <translation>secondes</translation>
    </message>
    <message>
        <source>Wait for each window up to</source>
        <translation>Attendre chaque fenêtre jusqu&apos;à</translation>
    </message>
    <message>
        <source>&amp;Browse</source>
        <translation>&amp;Parcourir</translation>
    </message>
    <message>
        <source>Script File:</source>
        <translation>Fichier script :</translation>
    </message>
    <message>
        <source>&amp;Start</source>
        <translation>&amp;Démarrer</translation>
    </message>
    <message>
        <source>Sto&amp;p</source>
        <translation>&amp;Arrêter</translation>
    </message>
    <message>
        <source>S&amp;ave</source>
        <translation>&amp;Enregistrer</translation>
    </message>
    <message>
        <source>Save &amp;&amp; E&amp;xit</source>
        <translation>Enregistrer &amp;&amp; &amp;quitter</translation>
    </message>
    <message>
        <source>C&amp;lear</source>
        <translation>E&amp;ffacer</translation>
    </message>
    <message>
        <source>&amp;Cancel</source>
        <translation>A&amp;nnuler</translation>
    </message>
    <message>
        <source>&amp;OK</source>
        <translation>&amp;OK</translation>
    </message>
    <message>
        <source>Could Not Write To File</source>
        <translation>Impossible d&apos;écrire dans le fichier</translation>
    </message>
    <message>
        <source>Click &apos;Start&apos; to record a script.  Click &apos;Cancel&apos; to abort.</source>
        <translation>Cliquez sur &apos;Démarrer&apos; pour enregistrer un script. Cliquez sur &apos;Annuler&apos; pour abandonner.</translation>
    </message>
    <message>
        <source>Error: No Script Recorded</source>
        <translation>Erreur : aucun script enregistré</translation>
    </message>
</context>
<context>
    <name>CScheduleList</name>
    <message>
        <source>Time</source>
        <translation>Heure</translation>
    </message>
    <message>
        <source>Run Time</source>
        <translation>Heure d&apos;exécution</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>Nom</translation>
    </message>
</context>
<context>
    <name>CSchedulerPage</name>
    <message>
        <source>Schedule Calendar</source>
        <translation>Calendrier de planification</translation>
    </message>
    <message>
        <source>Previous Month</source>
        <translation>Mois précédent</translation>
    </message>
    <message>
        <source>Next Month</source>
        <translation>Mois suivant</translation>
    </message>
    <message>
        <source>Macro Name: None Selected</source>
        <translation>Nom de la macro : aucune sélection</translation>
    </message>
    <message>
        <source>Frequency: Every</source>
        <translation>Fréquence : tous les</translation>
    </message>
    <message>
        <source>Starting On:</source>
        <translation>À partir du :</translation>
    </message>
    <message>
        <source>At Time:</source>
        <translation>À l&apos;heure :</translation>
    </message>
    <message>
        <source>F&amp;ind</source>
        <translation>&amp;Rechercher</translation>
    </message>
    <message>
        <source>M&amp;anage</source>
        <translation>&amp;Gérer</translation>
    </message>
    <message>
        <source>Scheduled Tasks:</source>
        <translation>Tâches planifiées :</translation>
    </message>
    <message>
        <source>Scheduled Tasks</source>
        <translation>Tâches planifiées</translation>
    </message>
    <message>
        <source>Macro Name: %1</source>
        <translation>Nom de la macro : %1</translation>
    </message>
    <message>
        <source>Could Not Update Macro</source>
        <translation>Impossible de mettre à jour la macro</translation>
    </message>
    <message>
        <source>&amp;Update</source>
        <translation>&amp;Mettre à jour</translation>
    </message>
</context>
<context>
    <name>CWindowPropsDlg</name>
    <message>
        <source>Window Properties</source>
        <translation>Propriétés de la fenêtre</translation>
    </message>
    <message>
        <source>&amp;Name</source>
        <translation>&amp;Nom</translation>
    </message>
    <message>
        <source>T&amp;ype</source>
        <translation>&amp;Type</translation>
    </message>
    <message>
        <source>T&amp;ag</source>
        <translation>Éti&amp;quette</translation>
    </message>
    <message>
        <source>&amp;Class</source>
        <translation>&amp;Classe</translation>
    </message>
    <message>
        <source>Is Parent</source>
        <translation>Est parent</translation>
    </message>
    <message>
        <source>Is Child</source>
        <translation>Est enfant</translation>
    </message>
</context>
<context>
    <name>CWizardAlertPage</name>
    <message>
        <source>Enter text for alert message box:</source>
        <translation>Saisissez le texte de la boîte d&apos;alerte :</translation>
    </message>
</context>
<context>
    <name>CWizardAppPage</name>
    <message>
        <source>Browse...</source>
        <translation>Parcourir...</translation>
    </message>
    <message>
        <source>Enter application executable:</source>
        <translation>Saisissez l&apos;exécutable de l&apos;application :</translation>
    </message>
    <message>
        <source>Enter parameters or file to be passed to application:</source>
        <translation>Saisissez les paramètres ou le fichier à passer à l&apos;application :</translation>
    </message>
</context>
<context>
    <name>CWizardCopyPage</name>
    <message>
        <source>Select &amp;Files to Copy</source>
        <translation>Choisir les &amp;fichiers à copier</translation>
    </message>
    <message>
        <source>Select F&amp;olders to Copy</source>
        <translation>Choisir les &amp;dossiers à copier</translation>
    </message>
    <message>
        <source>Select &amp;Destination Folder</source>
        <translation>Choisir le dossier de des&amp;tination</translation>
    </message>
    <message>
        <source>Files / Folders to Copy</source>
        <translation>Fichiers / dossiers à copier</translation>
    </message>
    <message>
        <source>Destination Folder:</source>
        <translation>Dossier de destination :</translation>
    </message>
</context>
<context>
    <name>CWizardDlg</name>
    <message>
        <source>Record New Script</source>
        <translation>Enregistrer un nouveau script</translation>
    </message>
    <message>
        <source>Open Application</source>
        <translation>Ouvrir une application</translation>
    </message>
    <message>
        <source>Copy Files / Folder</source>
        <translation>Copier des fichiers / un dossier</translation>
    </message>
    <message>
        <source>Alert Message</source>
        <translation>Message d&apos;alerte</translation>
    </message>
    <message>
        <source>TypeKeys Sequence</source>
        <translation>Séquence TypeKeys</translation>
    </message>
    <message>
        <source>Macro Wizard</source>
        <translation>Assistant de macro</translation>
    </message>
    <message>
        <source>Macro Name:</source>
        <translation>Nom de la macro :</translation>
    </message>
    <message>
        <source>Select Type of Macro to Create:</source>
        <translation>Choisissez le type de macro à créer :</translation>
    </message>
    <message>
        <source>Next &gt;</source>
        <translation>Suivant &gt;</translation>
    </message>
    <message>
        <source>Finish</source>
        <translation>Terminer</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Annuler</translation>
    </message>
    <message>
        <source>Recording is unavailable: no recorder was given.</source>
        <translation>L&apos;enregistrement est indisponible : aucun enregistreur n&apos;a été fourni.</translation>
    </message>
    <message>
        <source>Must select macro type</source>
        <translation>Il faut choisir un type de macro</translation>
    </message>
    <message>
        <source>Macro requires a name</source>
        <translation>La macro doit avoir un nom</translation>
    </message>
</context>
<context>
    <name>CWizardDonePage</name>
    <message>
        <source>Macro Wizard Complete!!</source>
        <translation>Assistant de macro terminé !</translation>
    </message>
    <message>
        <source>Browse...</source>
        <translation>Parcourir...</translation>
    </message>
    <message>
        <source>Macro Name:</source>
        <translation>Nom de la macro :</translation>
    </message>
    <message>
        <source>Macro File:</source>
        <translation>Fichier de la macro :</translation>
    </message>
    <message>
        <source>Click the &apos;Finish&apos; button to add the new macro to the macro list</source>
        <translation>Cliquez sur le bouton &apos;Terminer&apos; pour ajouter la nouvelle macro à la liste des macros</translation>
    </message>
    <message>
        <source>To schedule the macro, use the Macro Manager or Scheduler</source>
        <translation>Pour planifier la macro, utilisez la gestion des macros ou le planificateur</translation>
    </message>
    <message>
        <source>To set a Trigger for the macro, use the Macro Manager</source>
        <translation>Pour définir un déclencheur pour la macro, utilisez la gestion des macros</translation>
    </message>
</context>
<context>
    <name>CWizardKeysPage</name>
    <message>
        <source>Enter text to type:</source>
        <translation>Saisissez le texte à taper :</translation>
    </message>
    <message>
        <source>Enter key combination:</source>
        <translation>Saisissez la combinaison de touches :</translation>
    </message>
    <message>
        <source>&amp;Clear</source>
        <translation>E&amp;ffacer</translation>
    </message>
</context>
<context>
    <name>Glimmer</name>
    <message>
        <source>Glimmer - Choose the declarations file, then click the window to record</source>
        <translation>Glimmer - Choisissez le fichier de déclarations, puis cliquez sur la fenêtre à enregistrer</translation>
    </message>
    <message>
        <source>Window Declarations (*.dec);;All Files (*)</source>
        <translation>Déclarations de fenêtres (*.dec);;Tous les fichiers (*)</translation>
    </message>
</context>
<context>
    <name>HelpPage</name>
    <message>
        <source>Could not open help file: %1</source>
        <translation>Impossible d&apos;ouvrir le fichier d&apos;aide : %1</translation>
    </message>
    <message>
        <source>Failed to open Help</source>
        <translation>Échec de l&apos;ouverture de l&apos;aide</translation>
    </message>
</context>
<context>
    <name>ScheduleControls</name>
    <message>
        <source>Not Scheduled</source>
        <translation>Non planifiée</translation>
    </message>
    <message>
        <source>Single Occurrence</source>
        <translation>Une seule fois</translation>
    </message>
    <message>
        <source>Repeated</source>
        <translation>Répétée</translation>
    </message>
</context>
<context>
    <name>TDecTree</name>
    <message>
        <source>ERROR: Could Not Open %1</source>
        <translation>ERREUR : impossible d&apos;ouvrir %1</translation>
    </message>
</context>
<context>
    <name>Wingmate</name>
    <message>
        <source>End Wingmate? Scheduled macros will not run until it is started again.</source>
        <translation>Quitter Wingmate ? Les macros planifiées ne s&apos;exécuteront pas avant son prochain démarrage.</translation>
    </message>
    <message>
        <source>End Wingmate?
The changes to the macros have not been saved.</source>
        <translation>Quitter Wingmate ?
Les modifications des macros n&apos;ont pas été enregistrées.</translation>
    </message>
    <message>
        <source>End Wingmate? Scheduled macros will not run until it is started again.
The changes to the macros have not been saved.</source>
        <translation>Quitter Wingmate ? Les macros planifiées ne s&apos;exécuteront pas avant son prochain démarrage.
Les modifications des macros n&apos;ont pas été enregistrées.</translation>
    </message>
    <message>
        <source>Wingmate already running.  Click OK to view.</source>
        <translation>Wingmate est déjà en cours. Cliquez sur OK pour l&apos;afficher.</translation>
    </message>
    <message>
        <source>Tessera Scripts (*.tsc);;All Files (*)</source>
        <translation>Scripts Tessera (*.tsc);;Tous les fichiers (*)</translation>
    </message>
    <message>
        <source>A macro is running: run the script again when it has ended.</source>
        <translation>Une macro est en cours : exécutez le script à nouveau quand elle sera terminée.</translation>
    </message>
    <message>
        <source>untitled</source>
        <translation>sans titre</translation>
    </message>
    <message>
        <source> (its window declarations)</source>
        <translation> (ses déclarations de fenêtres)</translation>
    </message>
    <message>
        <source>    and %1 more
</source>
        <translation>    et %1 de plus
</translation>
    </message>
    <message>
        <source>Wingmate found unsaved script text it could not read back (the copy is cut short or damaged). It was kept as:
%1Open it in a text editor to see what it still holds.</source>
        <translation>Wingmate a trouvé du texte de script non enregistré qu&apos;il n&apos;a pas pu relire (la copie est tronquée ou endommagée). Il a été conservé sous :
%1Ouvrez-le dans un éditeur de texte pour voir ce qu&apos;il contient encore.</translation>
    </message>
    <message>
        <source>Recovery Copy Damaged</source>
        <translation>Copie de récupération endommagée</translation>
    </message>
    <message>
        <source>Wingmate did not end cleanly last time, and 1 script had unsaved changes:
%1Open it in the editor?</source>
        <translation>Wingmate ne s&apos;est pas terminé proprement la dernière fois, et 1 script avait des modifications non enregistrées :
%1L&apos;ouvrir dans l&apos;éditeur ?</translation>
    </message>
    <message>
        <source>Wingmate did not end cleanly last time, and %1 scripts had unsaved changes:
%2Open them in the editor?</source>
        <translation>Wingmate ne s&apos;est pas terminé proprement la dernière fois, et %1 scripts avaient des modifications non enregistrées :
%2Les ouvrir dans l&apos;éditeur ?</translation>
    </message>
    <message>
        <source>Restore Unsaved Changes?</source>
        <translation>Restaurer les modifications non enregistrées ?</translation>
    </message>
    <message>
        <source>Wingmate Error</source>
        <translation>Erreur Wingmate</translation>
    </message>
    <message>
        <source>Could not load Macro File</source>
        <translation>Impossible de charger le fichier de macros</translation>
    </message>
    <message>
        <source>Bad Load</source>
        <translation>Échec du chargement</translation>
    </message>
    <message>
        <source>Could not add the examples: %1</source>
        <translation>Impossible d&apos;ajouter les exemples : %1</translation>
    </message>
    <message>
        <source>The macro file %1 is damaged.
Restore the macros from the backup file (Macros.bak)?
The damaged file will be kept aside when the macros are next saved.</source>
        <translation>Le fichier de macros %1 est endommagé.
Restaurer les macros depuis le fichier de sauvegarde (Macros.bak) ?
Le fichier endommagé sera mis de côté au prochain enregistrement des macros.</translation>
    </message>
    <message>
        <source>Restore Macros?</source>
        <translation>Restaurer les macros ?</translation>
    </message>
    <message>
        <source>Could not restore Macro File...</source>
        <translation>Impossible de restaurer le fichier de macros...</translation>
    </message>
    <message>
        <source>Bad Restore</source>
        <translation>Échec de la restauration</translation>
    </message>
    <message>
        <source>Wingmate did not end cleanly last time, and some changes to your macros were not saved.
Restore the unsaved changes from %1?</source>
        <translation>Wingmate ne s&apos;est pas terminé proprement la dernière fois, et des modifications de vos macros n&apos;ont pas été enregistrées.
Restaurer les modifications non enregistrées depuis %1 ?</translation>
    </message>
    <message>
        <source>The unsaved changes in %1 could not be read.</source>
        <translation>Les modifications non enregistrées de %1 n&apos;ont pas pu être lues.</translation>
    </message>
    <message>
        <source>The macro file that could not be loaded was kept as
%1</source>
        <translation>Le fichier de macros qui n&apos;a pas pu être chargé a été conservé sous
%1</translation>
    </message>
    <message>
        <source>Could not save: %1</source>
        <translation>Impossible d&apos;enregistrer : %1</translation>
    </message>
    <message>
        <source>Save Failed</source>
        <translation>Échec de l&apos;enregistrement</translation>
    </message>
    <message>
        <source>End Wingmate without saving the macros?</source>
        <translation>Quitter Wingmate sans enregistrer les macros ?</translation>
    </message>
    <message>
        <source>Clear Macro Set and restore macros from backup file (Macros.bak)??
Unsaved changes will be lost.</source>
        <translation>Vider les macros et les restaurer depuis le fichier de sauvegarde (Macros.bak) ?
Les modifications non enregistrées seront perdues.</translation>
    </message>
    <message>
        <source>Maximum delay is %1 milliseconds.
Value set to %1</source>
        <translation>Le délai maximal est de %1 millisecondes.
Valeur fixée à %1</translation>
    </message>
    <message>
        <source>Tessera Wingmate - Running Macro</source>
        <translation>Tessera Wingmate - Macro en cours</translation>
    </message>
    <message>
        <source>Tessera Wingmate - Recording
(%1 to stop)</source>
        <translation>Tessera Wingmate - Enregistrement
(%1 pour arrêter)</translation>
    </message>
    <message>
        <source>Tessera Wingmate - Disabled</source>
        <translation>Tessera Wingmate - Désactivé</translation>
    </message>
    <message>
        <source>Tessera Wingmate - Triggers Disabled</source>
        <translation>Tessera Wingmate - Déclencheurs désactivés</translation>
    </message>
    <message>
        <source>Tessera Wingmate - Scheduler Disabled</source>
        <translation>Tessera Wingmate - Planificateur désactivé</translation>
    </message>
    <message>
        <source>Could not create the Wingmate folder %1</source>
        <translation>Impossible de créer le dossier Wingmate %1</translation>
    </message>
    <message>
        <source>Wingmate does not use the folder %1 because another user could change the macros and libraries in it: %2</source>
        <translation>Wingmate n&apos;utilise pas le dossier %1 car un autre utilisateur pourrait modifier les macros et bibliothèques qu&apos;il contient : %2</translation>
    </message>
    <message>
        <source>Could not enter the Wingmate folder %1: %2</source>
        <translation>Impossible d&apos;entrer dans le dossier Wingmate %1 : %2</translation>
    </message>
    <message>
        <source>&amp;Edit</source>
        <translation>&amp;Modifier</translation>
    </message>
    <message>
        <source>E&amp;xecute</source>
        <translation>E&amp;xécuter</translation>
    </message>
    <message>
        <source>&amp;Cut</source>
        <translation>Co&amp;uper</translation>
    </message>
    <message>
        <source>C&amp;opy</source>
        <translation>Co&amp;pier</translation>
    </message>
    <message>
        <source>&amp;Delete</source>
        <translation>&amp;Supprimer</translation>
    </message>
    <message>
        <source>&amp;Paste</source>
        <translation>C&amp;oller</translation>
    </message>
    <message>
        <source>Paste &amp;In</source>
        <translation>Coller &amp;dedans</translation>
    </message>
    <message>
        <source>Paste &amp;After</source>
        <translation>Coller &amp;après</translation>
    </message>
    <message>
        <source>Paste &amp;Before</source>
        <translation>Coller a&amp;vant</translation>
    </message>
    <message>
        <source>Starting Date:</source>
        <translation>Date de début :</translation>
    </message>
    <message>
        <source>Macro must have a Name</source>
        <translation>La macro doit avoir un nom</translation>
    </message>
    <message>
        <source>On Date:</source>
        <translation>À la date :</translation>
    </message>
    <message>
        <source>Overwrite scheduling information?</source>
        <translation>Écraser les informations de planification ?</translation>
    </message>
    <message>
        <source>Reading the script again loses the changes made here. Reopen it as %1?</source>
        <translation>Relire le script fait perdre les modifications faites ici. Le rouvrir en %1 ?</translation>
    </message>
    <message>
        <source>Reopen with Encoding</source>
        <translation>Rouvrir avec l&apos;encodage</translation>
    </message>
    <message>
        <source>Could not read %1 as %2.

%3</source>
        <translation>Impossible de lire %1 en %2.

%3</translation>
    </message>
    <message>
        <source>[New File]</source>
        <translation>[Nouveau fichier]</translation>
    </message>
    <message>
        <source>Could not load file: %1</source>
        <translation>Impossible de charger le fichier : %1</translation>
    </message>
    <message>
        <source>The script %1 does not exist yet. Create it?</source>
        <translation>Le script %1 n&apos;existe pas encore. Le créer ?</translation>
    </message>
    <message>
        <source>Wingmate Editor</source>
        <translation>Éditeur Wingmate</translation>
    </message>
    <message>
        <source>The script %1 was changed by another program since it was read here.
Save anyway and replace that version?</source>
        <translation>Le script %1 a été modifié par un autre programme depuis qu&apos;il a été lu ici.
Enregistrer quand même et remplacer cette version ?</translation>
    </message>
    <message>
        <source>Script Changed</source>
        <translation>Script modifié</translation>
    </message>
    <message>
        <source>Tessera Scripts Files (*.tsc);;All Files (*)</source>
        <translation>Fichiers de scripts Tessera (*.tsc);;Tous les fichiers (*)</translation>
    </message>
    <message>
        <source>File &apos;%1&apos; already exists. Overwrite?</source>
        <translation>Le fichier &apos;%1&apos; existe déjà. L&apos;écraser ?</translation>
    </message>
    <message>
        <source>File Exists</source>
        <translation>Le fichier existe</translation>
    </message>
    <message>
        <source>Could not save declarations: %1</source>
        <translation>Impossible d&apos;enregistrer les déclarations : %1</translation>
    </message>
    <message>
        <source>The declarations file %1 was changed by another program since it was read here.
Save anyway and replace that version?</source>
        <translation>Le fichier de déclarations %1 a été modifié par un autre programme depuis qu&apos;il a été lu ici.
Enregistrer quand même et remplacer cette version ?</translation>
    </message>
    <message>
        <source>Declarations Changed</source>
        <translation>Déclarations modifiées</translation>
    </message>
    <message>
        <source>Save script and declarations?

%1</source>
        <translation>Enregistrer le script et les déclarations ?

%1</translation>
    </message>
    <message>
        <source>Script / Declarations not saved</source>
        <translation>Script / déclarations non enregistrés</translation>
    </message>
    <message>
        <source>Could not open file</source>
        <translation>Impossible d&apos;ouvrir le fichier</translation>
    </message>
    <message>
        <source>The script %1 no longer exists on disk. Save it to keep this text.</source>
        <translation>Le script %1 n&apos;existe plus sur le disque. Enregistrez-le pour garder ce texte.</translation>
    </message>
    <message>
        <source>The script %1 was changed by another program.
Reload it and lose the changes made here?</source>
        <translation>Le script %1 a été modifié par un autre programme.
Le recharger et perdre les modifications faites ici ?</translation>
    </message>
    <message>
        <source>The script %1 was changed by another program.
Reload it?</source>
        <translation>Le script %1 a été modifié par un autre programme.
Le recharger ?</translation>
    </message>
    <message>
        <source> - Tessera Wingmate Editor</source>
        <translation> - Éditeur Tessera Wingmate</translation>
    </message>
    <message>
        <source>The window declarations in %1 hold changes that are not saved.
Keep them? No discards them and reads the files again.</source>
        <translation>Les déclarations de fenêtres de %1 contiennent des modifications non enregistrées.
Les garder ? Non les abandonne et relit les fichiers.</translation>
    </message>
    <message>
        <source>Declarations not saved</source>
        <translation>Déclarations non enregistrées</translation>
    </message>
    <message>
        <source>Could not print: %1</source>
        <translation>Impossible d&apos;imprimer : %1</translation>
    </message>
    <message>
        <source>File &apos;%1&apos; alread exists. Overwrite?</source>
        <translation>Le fichier &apos;%1&apos; existe déjà. L&apos;écraser ?</translation>
    </message>
    <message>
        <source>Could not create file &apos;%1&apos;.</source>
        <translation>Impossible de créer le fichier &apos;%1&apos;.</translation>
    </message>
    <message>
        <source>All Files (*)</source>
        <translation>Tous les fichiers (*)</translation>
    </message>
    <message>
        <source>Select Folder</source>
        <translation>Choisir un dossier</translation>
    </message>
    <message>
        <source>Must enter an application name</source>
        <translation>Il faut saisir un nom d&apos;application</translation>
    </message>
    <message>
        <source>Must enter TypeKeyse text in selected box</source>
        <translation>Il faut saisir le texte TypeKeys dans le champ choisi</translation>
    </message>
    <message>
        <source>Must enter an a destination location</source>
        <translation>Il faut saisir un emplacement de destination</translation>
    </message>
    <message>
        <source>Tessera Scripts (*.tsc)</source>
        <translation>Scripts Tessera (*.tsc)</translation>
    </message>
    <message>
        <source>No key types &quot;%1&quot; on the keyboard layout in use. Choose another key to stop the recording.</source>
        <translation>Aucune touche de la disposition de clavier utilisée ne tape « %1 ». Choisissez une autre touche pour arrêter l&apos;enregistrement.</translation>
    </message>
    <message>
        <source>Recording is unavailable: there is no script view to record into.</source>
        <translation>L&apos;enregistrement est indisponible : il n&apos;y a pas de vue de script où enregistrer.</translation>
    </message>
    <message>
        <source>Second(s)</source>
        <translation>Seconde(s)</translation>
    </message>
    <message>
        <source>Minute(s)</source>
        <translation>Minute(s)</translation>
    </message>
    <message>
        <source>Hour(s)</source>
        <translation>Heure(s)</translation>
    </message>
    <message>
        <source>Day(s)</source>
        <translation>Jour(s)</translation>
    </message>
    <message>
        <source>Week(s)</source>
        <translation>Semaine(s)</translation>
    </message>
    <message>
        <source>Month</source>
        <translation>Mois</translation>
    </message>
    <message>
        <source>Year</source>
        <translation>An</translation>
    </message>
    <message>
        <source>Frequency must be in range (0 &gt; x &gt;= %1) for this type</source>
        <translation>La fréquence doit être dans la plage (0 &gt; x &gt;= %1) pour ce type</translation>
    </message>
    <message>
        <source>no window recorded: %1</source>
        <translation>aucune fenêtre enregistrée : %1</translation>
    </message>
    <message>
        <source>no window recorded: that was the desktop, not a window</source>
        <translation>aucune fenêtre enregistrée : c&apos;était le bureau, pas une fenêtre</translation>
    </message>
    <message>
        <source>no window recorded in %1: %2</source>
        <translation>aucune fenêtre enregistrée dans %1 : %2</translation>
    </message>
    <message>
        <source>added Window &quot;%1&quot; (title &quot;%2&quot;, class &quot;%3&quot;) to %4</source>
        <translation>Fenêtre « %1 » (titre « %2 », classe « %3 ») ajoutée à %4</translation>
    </message>
    <message>
        <source>Could Not Find File: %1
Place this file in the application&apos;s residence directory</source>
        <translation>Fichier introuvable : %1
Placez ce fichier dans le dossier de l&apos;application</translation>
    </message>
    <message>
        <source>Unknown Error.  Could not execute %1</source>
        <translation>Erreur inconnue. Impossible d&apos;exécuter %1</translation>
    </message>
    <message>
        <source>Could not start the script: %1</source>
        <translation>Impossible de démarrer le script : %1</translation>
    </message>
    <message>
        <source>Could not Execute</source>
        <translation>Impossible d&apos;exécuter</translation>
    </message>
    <message>
        <source>Could not Execute %1: %2</source>
        <translation>Impossible d&apos;exécuter %1 : %2</translation>
    </message>
    <message>
        <source>The script failed</source>
        <translation>Le script a échoué</translation>
    </message>
    <message>
        <source>Run log lines are being lost: could not write %1: %2</source>
        <translation>Des lignes du journal d&apos;exécution sont perdues : impossible d&apos;écrire %1 : %2</translation>
    </message>
    <message>
        <source>Could not save Log File</source>
        <translation>Impossible d&apos;enregistrer le fichier journal</translation>
    </message>
    <message>
        <source>Every %1 %2</source>
        <translation>Tous les %1 %2</translation>
    </message>
    <message>
        <source>%1 at %2</source>
        <translation>%1 à %2</translation>
    </message>
    <message>
        <source>Repeated</source>
        <translation>Répétée</translation>
    </message>
    <message>
        <source>Trigger keys are unavailable: no key hook.</source>
        <translation>Les touches de déclenchement sont indisponibles : aucun crochet clavier.</translation>
    </message>
    <message>
        <source>Could not write the recovery file: %1</source>
        <translation>Impossible d&apos;écrire le fichier de récupération : %1</translation>
    </message>
    <message>
        <source>The unsaved changes were kept as %1</source>
        <translation>Les modifications non enregistrées ont été conservées sous %1</translation>
    </message>
    <message>
        <source>Abbreviation: %1</source>
        <translation>Abréviation : %1</translation>
    </message>
    <message>
        <source>, expands immediately</source>
        <translation>, remplacée immédiatement</translation>
    </message>
    <message>
        <source>, matches case</source>
        <translation>, respecte la casse</translation>
    </message>
    <message>
        <source>In all windows but titles matching %1</source>
        <translation>Dans toutes les fenêtres sauf celles dont le titre correspond à %1</translation>
    </message>
    <message>
        <source>In all windows but classes matching %1</source>
        <translation>Dans toutes les fenêtres sauf celles dont la classe correspond à %1</translation>
    </message>
    <message>
        <source>Only in windows titled %1</source>
        <translation>Seulement dans les fenêtres dont le titre est %1</translation>
    </message>
    <message>
        <source>Only in windows of class %1</source>
        <translation>Seulement dans les fenêtres de classe %1</translation>
    </message>
    <message>
        <source>Windows cannot be picked on this desktop.</source>
        <translation>Impossible de choisir une fenêtre sur ce bureau.</translation>
    </message>
    <message>
        <source>No window was picked: %1</source>
        <translation>Aucune fenêtre n&apos;a été choisie : %1</translation>
    </message>
    <message>
        <source>The window picked has no title.</source>
        <translation>La fenêtre choisie n&apos;a pas de titre.</translation>
    </message>
    <message>
        <source>The window picked has no class.</source>
        <translation>La fenêtre choisie n&apos;a pas de classe.</translation>
    </message>
    <message>
        <source>The abbreviation of &quot;%1&quot; cannot expand: nothing can type here.</source>
        <translation>L&apos;abréviation de « %1 » ne peut pas être développée : rien ne peut taper ici.</translation>
    </message>
    <message>
        <source>The abbreviation of &quot;%1&quot; could not expand: %2</source>
        <translation>L&apos;abréviation de « %1 » n&apos;a pas pu être développée : %2</translation>
    </message>
    <message>
        <source>The damaged file of abbreviations and window filters was kept as
%1</source>
        <translation>Le fichier endommagé des abréviations et filtres de fenêtres a été conservé sous
%1</translation>
    </message>
    <message>
        <source>The abbreviations and window filters in %1 could not be read: %2
The file is left as it is.</source>
        <translation>Les abréviations et filtres de fenêtres de %1 n&apos;ont pas pu être lus : %2
Le fichier est laissé tel quel.</translation>
    </message>
    <message>
        <source>The file of abbreviations and window filters %1 is damaged (%2).
What could be read was loaded; the file will be kept aside when the macros are next saved.</source>
        <translation>Le fichier des abréviations et filtres de fenêtres %1 est endommagé (%2).
Ce qui a pu être lu a été chargé ; le fichier sera mis de côté au prochain enregistrement des macros.</translation>
    </message>
</context>
</TS>
