<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE" sourcelanguage="en">
<context>
    <name>AboutViewController</name>
    <message>
        <source>About Vimbrel</source>
        <translation>Über Vimbrel</translation>
    </message>
    <message>
        <source>Version %1</source>
        <translation>Version %1</translation>
    </message>
    <message>
        <source>Removes applications together with the files they leave behind.</source>
        <translation>Entfernt Programme samt den Dateien, die sie zurücklassen.</translation>
    </message>
    <message>
        <source>More from Orvik Seltan</source>
        <translation>Mehr von Orvik Seltan</translation>
    </message>
    <message>
        <source>Acknowledgements</source>
        <translation>Danksagungen</translation>
    </message>
    <message>
        <source>Web Site</source>
        <translation>Website</translation>
    </message>
    <message>
        <source>Open the web site</source>
        <translation>Website öffnen</translation>
    </message>
</context>
<context>
    <name>AppDelegate</name>
    <message>
        <source>Subscribe to learn more about Vimbrel and more features.</source>
        <translation>Abonnieren Sie unseren Newsletter, um mehr über Vimbrel und neue Funktionen zu erfahren.</translation>
    </message>
</context>
<context>
    <name>ApplicationsViewController</name>
    <message>
        <source>Next</source>
        <translation>Weiter</translation>
    </message>
    <message>
        <source>‹  Home</source>
        <translation>‹  Start</translation>
    </message>
    <message>
        <source>Back to Home</source>
        <translation>Zurück zum Start</translation>
    </message>
    <message>
        <source>Applications</source>
        <translation>Programme</translation>
    </message>
    <message>
        <source>Filter applications</source>
        <translation>Programme filtern</translation>
    </message>
    <message>
        <source>Installed applications</source>
        <translation>Installierte Programme</translation>
    </message>
    <message>
        <source>Pick an application to see what it leaves behind.</source>
        <translation>Wählen Sie ein Programm, um zu sehen, was es zurücklässt.</translation>
    </message>
    <message>
        <source>%1 installed</source>
        <translation>%1 installiert</translation>
    </message>
    <message>
        <source>%1 of %2 shown</source>
        <translation>%1 von %2 angezeigt</translation>
    </message>
    <message>
        <source>No applications found in the folders you allowed.</source>
        <translation>In den freigegebenen Ordnern wurden keine Programme gefunden.</translation>
    </message>
    <message>
        <source>No application matches “%1”</source>
        <translation>Kein Programm passt zu „%1“</translation>
    </message>
    <message>
        <source>Home</source>
        <translation>Start</translation>
    </message>
    <message>
        <source>Review the selected application</source>
        <translation>Das gewählte Programm prüfen</translation>
    </message>
</context>
<context>
    <name>BundleCantRemove</name>
    <message>
        <source>Some items could not be removed</source>
        <translation>Einige Objekte konnten nicht entfernt werden</translation>
    </message>
    <message>
        <source>Vimbrel may not delete them. You can remove them yourself in the file manager.</source>
        <translation>Vimbrel darf sie nicht löschen. Sie können sie selbst in der Dateiverwaltung entfernen.</translation>
    </message>
    <message>
        <source>Show in Files</source>
        <translation>In Dateien zeigen</translation>
    </message>
    <message>
        <source>Show what was not removed in the file manager</source>
        <translation>Nicht Entferntes in der Dateiverwaltung zeigen</translation>
    </message>
</context>
<context>
    <name>CantRemoveViewController</name>
    <message>
        <source>Some items could not be removed</source>
        <translation>Einige Objekte konnten nicht entfernt werden</translation>
    </message>
    <message>
        <source>1 item is left where it was. You can remove it yourself in the file manager.</source>
        <translation>1 Objekt ist geblieben, wo es war. Sie können es selbst in der Dateiverwaltung entfernen.</translation>
    </message>
    <message>
        <source>%1 items are left where they were. You can remove them yourself in the file manager.</source>
        <translation>%1 Objekte sind geblieben, wo sie waren. Sie können sie selbst in der Dateiverwaltung entfernen.</translation>
    </message>
    <message>
        <source>and %1 more</source>
        <translation>und %1 weitere</translation>
    </message>
    <message>
        <source>Show in Files</source>
        <translation>In Dateien zeigen</translation>
    </message>
    <message>
        <source>Show the items that could not be removed in Files</source>
        <translation>Die nicht entfernten Objekte in Dateien zeigen</translation>
    </message>
</context>
<context>
    <name>DragAndDropImageView</name>
    <message>
        <source>Drop an application here to remove it</source>
        <translation>Ziehen Sie ein Programm hierher, um es zu entfernen</translation>
    </message>
    <message>
        <source>Drop an application here</source>
        <translation>Programm hierher ziehen</translation>
    </message>
    <message>
        <source>Vimbrel finds what it leaves behind and removes it all</source>
        <translation>Vimbrel findet, was es zurücklässt, und entfernt alles</translation>
    </message>
</context>
<context>
    <name>ExtensionListViewController</name>
    <message>
        <source>Show in Files</source>
        <translation>In Dateien zeigen</translation>
    </message>
    <message>
        <source>‹  Extensions</source>
        <translation>‹  Erweiterungen</translation>
    </message>
    <message>
        <source>Back to Extensions</source>
        <translation>Zurück zu den Erweiterungen</translation>
    </message>
    <message>
        <source>Filter</source>
        <translation>Filtern</translation>
    </message>
    <message>
        <source>Filter %1</source>
        <translation>%1 filtern</translation>
    </message>
    <message>
        <source>Clear the filter</source>
        <translation>Filter leeren</translation>
    </message>
    <message>
        <source>Removing</source>
        <translation>Wird entfernt</translation>
    </message>
    <message>
        <source>Show the selected item in the file manager</source>
        <translation>Das gewählte Objekt in der Dateiverwaltung zeigen</translation>
    </message>
    <message>
        <source>%1 item</source>
        <translation>%1 Objekt</translation>
    </message>
    <message>
        <source>%1 items</source>
        <translation>%1 Objekte</translation>
    </message>
    <message>
        <source>%1 of %2 shown</source>
        <translation>%1 von %2 angezeigt</translation>
    </message>
</context>
<context>
    <name>ExtensionsViewController</name>
    <message>
        <source>‹  Home</source>
        <translation>‹  Start</translation>
    </message>
    <message>
        <source>Back to Home</source>
        <translation>Zurück zum Start</translation>
    </message>
    <message>
        <source>Extensions</source>
        <translation>Erweiterungen</translation>
    </message>
    <message>
        <source>Remove plug-ins, preference panes and Safari extensions.</source>
        <translation>Plug-ins, Einstellungsmodule und Safari-Erweiterungen entfernen.</translation>
    </message>
    <message>
        <source>Plug-ins</source>
        <translation>Plug-ins</translation>
    </message>
    <message>
        <source>Importers, Quick Look generators and Internet plug-ins</source>
        <translation>Importer, Quick-Look-Generatoren und Internet-Plug-ins</translation>
    </message>
    <message>
        <source>Preference Panes</source>
        <translation>Einstellungsmodule</translation>
    </message>
    <message>
        <source>Panes and what they leave behind</source>
        <translation>Module und was sie zurücklassen</translation>
    </message>
    <message>
        <source>Safari Extensions</source>
        <translation>Safari-Erweiterungen</translation>
    </message>
    <message>
        <source>The extensions of your Safari</source>
        <translation>Die Erweiterungen Ihres Safari</translation>
    </message>
</context>
<context>
    <name>FilterField</name>
    <message>
        <source>Clear</source>
        <translation>Leeren</translation>
    </message>
</context>
<context>
    <name>FoldersViewController</name>
    <message>
        <source>Folders</source>
        <translation>Ordner</translation>
    </message>
    <message>
        <source>Folders Vimbrel may search</source>
        <translation>Ordner, die Vimbrel durchsuchen darf</translation>
    </message>
    <message>
        <source>Vimbrel only looks in the folders you allow. The whole disk adds the system&apos;s folders (/Library, /Users/Shared, /var).</source>
        <translation>Vimbrel sucht nur in den Ordnern, die Sie erlauben. Mit der ganzen Festplatte kommen die Ordner des Systems hinzu (/Library, /Users/Shared, /var).</translation>
    </message>
</context>
<context>
    <name>GrantsPanel</name>
    <message>
        <source>Home folder</source>
        <translation>Persönlicher Ordner</translation>
    </message>
    <message>
        <source>Applications folder</source>
        <translation>Ordner „Programme“</translation>
    </message>
    <message>
        <source>Whole disk</source>
        <translation>Ganze Festplatte</translation>
    </message>
    <message>
        <source>Choose the home folder</source>
        <translation>Den persönlichen Ordner wählen</translation>
    </message>
    <message>
        <source>Choose the Applications folder</source>
        <translation>Den Ordner „Programme“ wählen</translation>
    </message>
    <message>
        <source>Choose the whole disk</source>
        <translation>Die ganze Festplatte wählen</translation>
    </message>
    <message>
        <source>Remove access to the home folder</source>
        <translation>Zugriff auf den persönlichen Ordner entziehen</translation>
    </message>
    <message>
        <source>Remove access to the Applications folder</source>
        <translation>Zugriff auf den Ordner „Programme“ entziehen</translation>
    </message>
    <message>
        <source>Remove access to the whole disk</source>
        <translation>Zugriff auf die ganze Festplatte entziehen</translation>
    </message>
    <message>
        <source>Remove Access</source>
        <translation>Zugriff entziehen</translation>
    </message>
    <message>
        <source>Remove</source>
        <translation>Entfernen</translation>
    </message>
    <message>
        <source>Change…</source>
        <translation>Ändern …</translation>
    </message>
    <message>
        <source>No folder</source>
        <translation>Kein Ordner</translation>
    </message>
    <message>
        <source>Valid</source>
        <translation>Gültig</translation>
    </message>
    <message>
        <source>Stale: %1</source>
        <translation>Veraltet: %1</translation>
    </message>
    <message>
        <source>Not granted</source>
        <translation>Nicht freigegeben</translation>
    </message>
    <message>
        <source>Missing: %1</source>
        <translation>Fehlt: %1</translation>
    </message>
    <message>
        <source>Not valid: %1</source>
        <translation>Ungültig: %1</translation>
    </message>
    <message>
        <source>Stop searching the whole disk? System folders will no longer be searched.</source>
        <translation>Nicht mehr die ganze Festplatte durchsuchen? Die Ordner des Systems werden dann nicht mehr durchsucht.</translation>
    </message>
    <message>
        <source>Remove access to the home folder? Vimbrel asks for it again before it goes on.</source>
        <translation>Zugriff auf den persönlichen Ordner entziehen? Vimbrel fragt erneut danach, bevor es weitermacht.</translation>
    </message>
    <message>
        <source>Remove access to the Applications folder? Vimbrel asks for it again before it goes on.</source>
        <translation>Zugriff auf den Ordner „Programme“ entziehen? Vimbrel fragt erneut danach, bevor es weitermacht.</translation>
    </message>
</context>
<context>
    <name>HomeViewController</name>
    <message>
        <source>Remove applications together with everything they leave behind.</source>
        <translation>Entfernen Sie Programme samt allem, was sie zurücklassen.</translation>
    </message>
    <message>
        <source>Applications</source>
        <translation>Programme</translation>
    </message>
    <message>
        <source>Extensions</source>
        <translation>Erweiterungen</translation>
    </message>
</context>
<context>
    <name>InfoViewController</name>
    <message>
        <source>Learn More</source>
        <translation>Mehr erfahren</translation>
    </message>
    <message>
        <source>Learn more on the maker&apos;s web site</source>
        <translation>Mehr auf der Website des Herstellers erfahren</translation>
    </message>
    <message>
        <source>More plug-ins</source>
        <translation>Weitere Plug-ins</translation>
    </message>
    <message>
        <source>Only your own address-book plug-ins are listed. Grant Vimbrel the whole disk to list the system&apos;s Spotlight importers, Quick Look generators and Internet plug-ins too.</source>
        <translation>Nur Ihre eigenen Adressbuch-Plug-ins werden aufgeführt. Geben Sie Vimbrel die ganze Festplatte frei, um auch die Spotlight-Importer, Quick-Look-Generatoren und Internet-Plug-ins des Systems aufzuführen.</translation>
    </message>
    <message>
        <source>More preference panes</source>
        <translation>Weitere Einstellungsmodule</translation>
    </message>
    <message>
        <source>Only your own preference panes are listed. Grant Vimbrel the whole disk to list the panes installed for every user too.</source>
        <translation>Nur Ihre eigenen Einstellungsmodule werden aufgeführt. Geben Sie Vimbrel die ganze Festplatte frei, um auch die Module für alle Benutzer aufzuführen.</translation>
    </message>
</context>
<context>
    <name>LaunchedSafari</name>
    <message>
        <source>Safari is open</source>
        <translation>Safari ist geöffnet</translation>
    </message>
    <message>
        <source>Quit Safari first, then remove the extension: Safari rewrites its list of extensions while it runs. Nothing was removed.</source>
        <translation>Beenden Sie zuerst Safari und entfernen Sie dann die Erweiterung: Safari schreibt seine Liste der Erweiterungen neu, solange es läuft. Es wurde nichts entfernt.</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>OptionalPurpose</name>
    <message>
        <source>Search the whole disk</source>
        <translation>Die ganze Festplatte durchsuchen</translation>
    </message>
    <message>
        <source>Some applications also leave files in the system&apos;s folders (/Library, /Users/Shared, /var). Allow the whole disk (choose “/”) to find and remove those too.</source>
        <translation>Manche Programme hinterlassen auch Dateien in den Ordnern des Systems (/Library, /Users/Shared, /var). Geben Sie die ganze Festplatte frei (wählen Sie „/“), um auch diese zu finden und zu entfernen.</translation>
    </message>
    <message>
        <source>Allow Whole Disk…</source>
        <translation>Ganze Festplatte freigeben …</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
    <message>
        <source>Whole disk allowed ✓</source>
        <translation>Ganze Festplatte freigegeben ✓</translation>
    </message>
</context>
<context>
    <name>PluginsViewController</name>
    <message>
        <source>Plug-ins</source>
        <translation>Plug-ins</translation>
    </message>
    <message>
        <source>Importers, Quick Look generators and Internet plug-ins</source>
        <translation>Importer, Quick-Look-Generatoren und Internet-Plug-ins</translation>
    </message>
    <message>
        <source>Installed plug-ins</source>
        <translation>Installierte Plug-ins</translation>
    </message>
    <message>
        <source>Remove</source>
        <translation>Entfernen</translation>
    </message>
    <message>
        <source>No plug-ins are installed.</source>
        <translation>Es sind keine Plug-ins installiert.</translation>
    </message>
    <message>
        <source>No plug-in matches “%1”</source>
        <translation>Kein Plug-in passt zu „%1“</translation>
    </message>
</context>
<context>
    <name>PreferencesViewController</name>
    <message>
        <source>General</source>
        <translation>Allgemein</translation>
    </message>
    <message>
        <source>Applications list</source>
        <translation>Programmliste</translation>
    </message>
    <message>
        <source>Include the system&apos;s applications</source>
        <translation>Programme des Systems einbeziehen</translation>
    </message>
    <message>
        <source>Also list the applications that came with the system.</source>
        <translation>Auch die Programme aufführen, die mit dem System kamen.</translation>
    </message>
    <message>
        <source>Include Utilities</source>
        <translation>Dienstprogramme einbeziehen</translation>
    </message>
    <message>
        <source>Also list the applications in the Utilities folder.</source>
        <translation>Auch die Programme im Ordner „Dienstprogramme“ aufführen.</translation>
    </message>
    <message>
        <source>Changes show the next time the list opens.</source>
        <translation>Änderungen zeigen sich, wenn die Liste das nächste Mal öffnet.</translation>
    </message>
</context>
<context>
    <name>PreferencesWindowController</name>
    <message>
        <source>Preferences</source>
        <translation>Einstellungen</translation>
    </message>
</context>
<context>
    <name>PrefpanesViewController</name>
    <message>
        <source>Preference Panes</source>
        <translation>Einstellungsmodule</translation>
    </message>
    <message>
        <source>Review a pane and what it leaves behind before it goes</source>
        <translation>Prüfen Sie ein Modul und was es zurücklässt, bevor es geht</translation>
    </message>
    <message>
        <source>Installed preference panes</source>
        <translation>Installierte Einstellungsmodule</translation>
    </message>
    <message>
        <source>Review…</source>
        <translation>Prüfen …</translation>
    </message>
    <message>
        <source>No preference panes are installed.</source>
        <translation>Es sind keine Einstellungsmodule installiert.</translation>
    </message>
    <message>
        <source>No preference pane matches “%1”</source>
        <translation>Kein Einstellungsmodul passt zu „%1“</translation>
    </message>
</context>
<context>
    <name>PrefrencesSpider</name>
    <message>
        <source>Spider</source>
        <translation>Spider</translation>
    </message>
    <message>
        <source>Vimbrel Spider</source>
        <translation>Vimbrel Spider</translation>
    </message>
    <message>
        <source>Watches the Trash and removes what an application leaves behind as soon as you move the application there.</source>
        <translation>Beobachtet den Papierkorb und entfernt, was ein Programm zurücklässt, sobald Sie das Programm dorthin bewegen.</translation>
    </message>
    <message>
        <source>Run Vimbrel Spider</source>
        <translation>Vimbrel Spider ausführen</translation>
    </message>
    <message>
        <source>Starts now and at every login.</source>
        <translation>Startet jetzt und bei jeder Anmeldung.</translation>
    </message>
    <message>
        <source>Show notifications</source>
        <translation>Benachrichtigungen zeigen</translation>
    </message>
    <message>
        <source>Tell me what Vimbrel Spider removed.</source>
        <translation>Mitteilen, was Vimbrel Spider entfernt hat.</translation>
    </message>
    <message>
        <source>Clear notifications</source>
        <translation>Benachrichtigungen entfernen</translation>
    </message>
    <message>
        <source>Take each notification away after a few seconds.</source>
        <translation>Jede Benachrichtigung nach einigen Sekunden ausblenden.</translation>
    </message>
    <message>
        <source>Folders Vimbrel Spider may search</source>
        <translation>Ordner, die Vimbrel Spider durchsuchen darf</translation>
    </message>
</context>
<context>
    <name>Prompts</name>
    <message>
        <source>You have removed %1 apps. Do you enjoy Vimbrel?</source>
        <translation>Sie haben %1 Programme entfernt. Gefällt Ihnen Vimbrel?</translation>
    </message>
    <message>
        <source>You have used Vimbrel %1 times. Do you like it?</source>
        <translation>Sie haben Vimbrel %1-mal verwendet. Gefällt es Ihnen?</translation>
    </message>
</context>
<context>
    <name>RateAppViewController</name>
    <message>
        <source>Five stars</source>
        <translation>Fünf Sterne</translation>
    </message>
    <message>
        <source>Rate</source>
        <translation>Bewerten</translation>
    </message>
    <message>
        <source>Rate Vimbrel</source>
        <translation>Vimbrel bewerten</translation>
    </message>
    <message>
        <source>I don&apos;t like it</source>
        <translation>Gefällt mir nicht</translation>
    </message>
    <message>
        <source>Not now</source>
        <translation>Nicht jetzt</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
</context>
<context>
    <name>RemainderGroup</name>
    <message>
        <source>Executables</source>
        <translation>Programmdateien</translation>
    </message>
    <message>
        <source>Preferences</source>
        <translation>Einstellungen</translation>
    </message>
    <message>
        <source>Support files</source>
        <translation>Unterstützungsdateien</translation>
    </message>
    <message>
        <source>Launch Agents</source>
        <translation>Startobjekte</translation>
    </message>
    <message>
        <source>Logs</source>
        <translation>Protokolle</translation>
    </message>
    <message>
        <source>Plugins</source>
        <translation>Plug-ins</translation>
    </message>
    <message>
        <source>Desktop Alias</source>
        <translation>Schreibtisch-Alias</translation>
    </message>
    <message>
        <source>Other</source>
        <translation>Sonstiges</translation>
    </message>
</context>
<context>
    <name>RemainderModel</name>
    <message>
        <source>Remove %1 in %2</source>
        <translation>%1 in %2 entfernen</translation>
    </message>
    <message>
        <source>Remove %1 in %2 (%3)</source>
        <translation>%1 in %2 entfernen (%3)</translation>
    </message>
</context>
<context>
    <name>RemainderViewController</name>
    <message>
        <source>Check before removing</source>
        <translation>Vor dem Entfernen prüfen</translation>
    </message>
    <message>
        <source>Remove</source>
        <translation>Entfernen</translation>
    </message>
    <message>
        <source>‹  Back</source>
        <translation>‹  Zurück</translation>
    </message>
    <message>
        <source>Back</source>
        <translation>Zurück</translation>
    </message>
    <message>
        <source>Searching</source>
        <translation>Suche läuft</translation>
    </message>
    <message>
        <source>Looking for what %1 leaves behind…</source>
        <translation>Suche, was %1 zurücklässt …</translation>
    </message>
    <message>
        <source>What %1 leaves behind</source>
        <translation>Was %1 zurücklässt</translation>
    </message>
    <message>
        <source>Remove the selected items</source>
        <translation>Die gewählten Objekte entfernen</translation>
    </message>
    <message>
        <source>Removal is final: nothing goes to the Trash.</source>
        <translation>Das Entfernen ist endgültig: nichts kommt in den Papierkorb.</translation>
    </message>
    <message>
        <source>Searching…</source>
        <translation>Suche läuft …</translation>
    </message>
    <message>
        <source>%1 items found · %2 selected, %3</source>
        <translation>%1 Objekte gefunden · %2 gewählt, %3</translation>
    </message>
    <message>
        <source>Removing</source>
        <translation>Wird entfernt</translation>
    </message>
    <message>
        <source>Removing… %1 of %2 items · %3 of %4</source>
        <translation>Wird entfernt … %1 von %2 Objekten · %3 von %4</translation>
    </message>
</context>
<context>
    <name>RemoveViewController</name>
    <message>
        <source>freed on disk</source>
        <translation>auf der Festplatte frei</translation>
    </message>
    <message>
        <source>Remove Another Application</source>
        <translation>Weiteres Programm entfernen</translation>
    </message>
    <message>
        <source>Home</source>
        <translation>Start</translation>
    </message>
    <message>
        <source>Back to Home</source>
        <translation>Zurück zum Start</translation>
    </message>
    <message>
        <source>Done</source>
        <translation>Fertig</translation>
    </message>
    <message>
        <source>%1 was partly removed</source>
        <translation>%1 wurde teilweise entfernt</translation>
    </message>
    <message>
        <source>%1 was removed</source>
        <translation>%1 wurde entfernt</translation>
    </message>
    <message>
        <source>1 item could not be removed.</source>
        <translation>1 Objekt konnte nicht entfernt werden.</translation>
    </message>
    <message>
        <source>%1 items could not be removed.</source>
        <translation>%1 Objekte konnten nicht entfernt werden.</translation>
    </message>
    <message>
        <source>Freed %1</source>
        <translation>%1 freigegeben</translation>
    </message>
</context>
<context>
    <name>SafariExtensionsViewController</name>
    <message>
        <source>Safari Extensions</source>
        <translation>Safari-Erweiterungen</translation>
    </message>
    <message>
        <source>The extensions installed in your Safari</source>
        <translation>Die in Ihrem Safari installierten Erweiterungen</translation>
    </message>
    <message>
        <source>Installed Safari extensions</source>
        <translation>Installierte Safari-Erweiterungen</translation>
    </message>
    <message>
        <source>Remove</source>
        <translation>Entfernen</translation>
    </message>
    <message>
        <source>No Safari extensions are installed.</source>
        <translation>Es sind keine Safari-Erweiterungen installiert.</translation>
    </message>
    <message>
        <source>No extension matches “%1”</source>
        <translation>Keine Erweiterung passt zu „%1“</translation>
    </message>
</context>
<context>
    <name>SandboxViewController</name>
    <message>
        <source>Vimbrel needs access to your folders</source>
        <translation>Vimbrel braucht Zugriff auf Ihre Ordner</translation>
    </message>
    <message>
        <source>Vimbrel only looks where you allow it. Choose your home folder and the Applications folder once; Vimbrel remembers them.</source>
        <translation>Vimbrel sucht nur dort, wo Sie es erlauben. Wählen Sie einmal Ihren persönlichen Ordner und den Ordner „Programme“; Vimbrel merkt sie sich.</translation>
    </message>
    <message>
        <source>Allow Home Folder…</source>
        <translation>Persönlichen Ordner freigeben …</translation>
    </message>
    <message>
        <source>Allow Applications Folder…</source>
        <translation>Ordner „Programme“ freigeben …</translation>
    </message>
    <message>
        <source>Quit</source>
        <translation>Beenden</translation>
    </message>
    <message>
        <source>Quit Vimbrel</source>
        <translation>Vimbrel beenden</translation>
    </message>
    <message>
        <source>Home folder allowed ✓</source>
        <translation>Persönlicher Ordner freigegeben ✓</translation>
    </message>
    <message>
        <source>Applications folder allowed ✓</source>
        <translation>Ordner „Programme“ freigegeben ✓</translation>
    </message>
</context>
<context>
    <name>SheetDialog</name>
    <message>
        <source>No plug-ins found</source>
        <translation>Keine Plug-ins gefunden</translation>
    </message>
    <message>
        <source>Vimbrel found no plug-ins in the folders you allowed. Allow the whole disk to look in the system&apos;s folders too.</source>
        <translation>Vimbrel hat in den freigegebenen Ordnern keine Plug-ins gefunden. Geben Sie die ganze Festplatte frei, um auch in den Ordnern des Systems zu suchen.</translation>
    </message>
    <message>
        <source>No preference panes found</source>
        <translation>Keine Einstellungsmodule gefunden</translation>
    </message>
    <message>
        <source>Vimbrel found no preference panes in the folders you allowed. Allow the whole disk to look in the system&apos;s folders too.</source>
        <translation>Vimbrel hat in den freigegebenen Ordnern keine Einstellungsmodule gefunden. Geben Sie die ganze Festplatte frei, um auch in den Ordnern des Systems zu suchen.</translation>
    </message>
    <message>
        <source>No Safari extensions found</source>
        <translation>Keine Safari-Erweiterungen gefunden</translation>
    </message>
    <message>
        <source>Safari lists no extensions in your Library.</source>
        <translation>Safari führt in Ihrer Library keine Erweiterungen auf.</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>The application</source>
        <translation>Das Programm</translation>
    </message>
    <message>
        <source>%1 is running</source>
        <translation>%1 läuft</translation>
    </message>
    <message>
        <source>Quit %1 first, then remove it. Nothing was removed.</source>
        <translation>Beenden Sie zuerst %1 und entfernen Sie es dann. Es wurde nichts entfernt.</translation>
    </message>
    <message>
        <source>No applications found</source>
        <translation>Keine Programme gefunden</translation>
    </message>
    <message>
        <source>Vimbrel found no application in the folder you allowed. Drop an application on the window, or allow another Applications folder.</source>
        <translation>Vimbrel hat im freigegebenen Ordner kein Programm gefunden. Ziehen Sie ein Programm auf das Fenster oder geben Sie einen anderen Programmordner frei.</translation>
    </message>
    <message>
        <source>Enjoying Vimbrel?</source>
        <translation>Gefällt Ihnen Vimbrel?</translation>
    </message>
    <message>
        <source>Rate Vimbrel</source>
        <translation>Vimbrel bewerten</translation>
    </message>
    <message>
        <source>Not Now</source>
        <translation>Nicht jetzt</translation>
    </message>
</context>
<context>
    <name>ViewController</name>
    <message>
        <source>Main menu</source>
        <translation>Hauptmenü</translation>
    </message>
    <message>
        <source>Preferences…</source>
        <translation>Einstellungen …</translation>
    </message>
    <message>
        <source>Help</source>
        <translation>Hilfe</translation>
    </message>
    <message>
        <source>About Vimbrel</source>
        <translation>Über Vimbrel</translation>
    </message>
    <message>
        <source>Quit Vimbrel</source>
        <translation>Vimbrel beenden</translation>
    </message>
</context>
</TS>
