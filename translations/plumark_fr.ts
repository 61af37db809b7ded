<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="fr_FR">
<context>
    <name>Conversion</name>
    <message>
        <source>a folder</source>
        <translation>un dossier</translation>
    </message>
    <message>
        <source>a named pipe (FIFO)</source>
        <translation>un tube nommé (FIFO)</translation>
    </message>
    <message>
        <source>a socket</source>
        <translation>un socket</translation>
    </message>
    <message>
        <source>a device</source>
        <translation>un périphérique</translation>
    </message>
    <message>
        <source>something else</source>
        <translation>autre chose</translation>
    </message>
    <message>
        <source>Folder does not exist. Please select another folder.</source>
        <translation>Le dossier n’existe pas. Veuillez choisir un autre dossier.</translation>
    </message>
    <message>
        <source>The file does not exist.</source>
        <translation>Le fichier n’existe pas.</translation>
    </message>
    <message>
        <source>The file cannot be read: %1.</source>
        <translation>Le fichier ne peut pas être lu : %1.</translation>
    </message>
    <message>
        <source>This is %1, not a regular file.</source>
        <translation>C’est %1, et non un fichier ordinaire.</translation>
    </message>
    <message>
        <source>The result would replace the input file.</source>
        <translation>Le résultat remplacerait le fichier d’entrée.</translation>
    </message>
    <message>
        <source>file not found</source>
        <translation>fichier introuvable</translation>
    </message>
    <message>
        <source>permission denied</source>
        <translation>permission refusée</translation>
    </message>
    <message>
        <source>error %1</source>
        <translation>erreur %1</translation>
    </message>
    <message>
        <source>The converter could not be started (%1).</source>
        <translation>Le convertisseur n’a pas pu être lancé (%1).</translation>
    </message>
    <message>
        <source>The converter failed with exit code %1.</source>
        <translation>Le convertisseur a échoué avec le code de sortie %1.</translation>
    </message>
    <message>
        <source>The converter wrote no output file.</source>
        <translation>Le convertisseur n’a écrit aucun fichier de sortie.</translation>
    </message>
    <message>
        <source>The converter wrote an empty file.</source>
        <translation>Le convertisseur a écrit un fichier vide.</translation>
    </message>
    <message>
        <source>Done.</source>
        <translation>Terminé.</translation>
    </message>
    <message>
        <source>1 file could not be converted:</source>
        <translation>1 fichier n’a pas pu être converti :</translation>
    </message>
    <message>
        <source>%1 files could not be converted:</source>
        <translation>%1 fichiers n’ont pas pu être convertis :</translation>
    </message>
    <message>
        <source>No files added.</source>
        <translation>Aucun fichier ajouté.</translation>
    </message>
    <message>
        <source>Processing: </source>
        <translation>Traitement en cours : </translation>
    </message>
    <message>
        <source>Progress Bar</source>
        <translation>Barre de progression</translation>
    </message>
    <message>
        <source>The result would replace the listed file &quot;%1&quot;.</source>
        <translation>Le résultat remplacerait le fichier « %1 » de la liste.</translation>
    </message>
    <message>
        <source>The result would replace the result of &quot;%1&quot;.</source>
        <translation>Le résultat remplacerait le résultat de « %1 ».</translation>
    </message>
    <message>
        <source>Please wait.. </source>
        <translation>veuillez patienter… </translation>
    </message>
    <message>
        <source>Converted: %1
Not converted: %2</source>
        <translation>Convertis : %1
Non convertis : %2</translation>
    </message>
    <message>
        <source>The input is not an audio file but %1.</source>
        <translation>L&apos;entrée n&apos;est pas un fichier audio mais %1.</translation>
    </message>
    <message>
        <source>This is no recording but a file of the system&apos;s %1 file system, which may be read without end. Only files kept on a disk are converted.</source>
        <translation>Ceci n&apos;est pas un enregistrement mais un fichier du système de fichiers %1 du système, dont la lecture peut ne jamais finir. Seuls les fichiers conservés sur un disque sont convertis.</translation>
    </message>
</context>
<context>
    <name>ErrorReport</name>
    <message>
        <source>at line </source>
        <translation>à la ligne </translation>
    </message>
    <message>
        <source>Please email screenshot of this message to </source>
        <translation>Veuillez envoyer une capture d’écran de ce message à </translation>
    </message>
    <message>
        <source>Application Error</source>
        <translation>Erreur de l’application</translation>
    </message>
</context>
<context>
    <name>Failure</name>
    <message>
        <source>Invalid procedure call or argument</source>
        <translation>Argument ou appel de procédure incorrect</translation>
    </message>
    <message>
        <source>Could not delete &quot;%1&quot;: %2</source>
        <translation>Impossible de supprimer « %1 » : %2</translation>
    </message>
    <message>
        <source>The probe &quot;%1&quot; was not found. Install the Debian package &quot;%2&quot;.</source>
        <translation>L’outil d’analyse « %1 » est introuvable. Installez le paquet Debian « %2 ».</translation>
    </message>
    <message>
        <source>The converter &quot;%1&quot; was not found. Install the Debian package &quot;%2&quot;.</source>
        <translation>Le convertisseur « %1 » est introuvable. Installez le paquet Debian « %2 ».</translation>
    </message>
    <message>
        <source>The tool &quot;%1&quot; could not be read: %2</source>
        <translation>L’outil « %1 » n’a pas pu être lu : %2</translation>
    </message>
    <message>
        <source>The tool file &quot;%1&quot; could not be written: %2</source>
        <translation>Le fichier d’outil « %1 » n’a pas pu être écrit : %2</translation>
    </message>
    <message>
        <source>The tools folder could not be made in &quot;%1&quot;: %2</source>
        <translation>Le dossier des outils n’a pas pu être créé dans « %1 » : %2</translation>
    </message>
    <message>
        <source>The settings file &quot;%1&quot; could not be written</source>
        <translation>Le fichier de paramètres « %1 » n’a pas pu être écrit</translation>
    </message>
    <message>
        <source>Type mismatch</source>
        <translation>Incompatibilité de type</translation>
    </message>
    <message>
        <source>Overflow</source>
        <translation>Dépassement de capacité</translation>
    </message>
    <message>
        <source>Invalid procedure call or argument: no desktop folder</source>
        <translation>Argument ou appel de procédure incorrect : aucun dossier Bureau</translation>
    </message>
</context>
<context>
    <name>FileList</name>
    <message>
        <source>Add File(s) - Hold Ctrl to select multiple files</source>
        <translation>Ajouter des fichiers – maintenez Ctrl pour en choisir plusieurs</translation>
    </message>
    <message>
        <source>M4A File (*.m4a)</source>
        <translation>Fichier M4A (*.m4a)</translation>
    </message>
    <message>
        <source>You&apos;ve selected too many files to add.</source>
        <translation>Vous avez sélectionné trop de fichiers à ajouter.</translation>
    </message>
    <message>
        <source>Please try adding via the &quot;Add All&quot; button.</source>
        <translation>Veuillez les ajouter avec le bouton « Ajouter les M4A d’un dossier ».</translation>
    </message>
    <message>
        <source>Enter file extension to load:</source>
        <translation>Saisissez l’extension des fichiers à charger :</translation>
    </message>
    <message>
        <source>(* for all files, txt for all txt files, doc for all doc files, etc.)</source>
        <translation>(* pour tous les fichiers, txt pour tous les fichiers txt, doc pour tous les fichiers doc, etc.)</translation>
    </message>
    <message>
        <source>Please select folder:</source>
        <translation>Veuillez choisir un dossier :</translation>
    </message>
</context>
<context>
    <name>Options</name>
    <message>
        <source>Please select folder:</source>
        <translation>Veuillez choisir un dossier :</translation>
    </message>
</context>
<context>
    <name>Samples</name>
    <message>
        <source>Would you like this software to open the folder where these sample files are stored (so that you can view them before working with them)?</source>
        <translation>Voulez-vous que ce logiciel ouvre le dossier où sont stockés ces fichiers d’exemple (pour les consulter avant de travailler avec eux) ?</translation>
    </message>
</context>
<context>
    <name>StartUp</name>
    <message>
        <source>M4A File(s)</source>
        <translation>Fichier(s) M4A</translation>
    </message>
</context>
<context>
    <name>plumark::Form1</name>
    <message>
        <source>Drag and drop files here. Double-click item to remove it. Move | line to right and out of window to reveal full names.</source>
        <translation>Glissez-déposez des fichiers ici. Double-cliquez sur un élément pour le retirer. Déplacez la ligne | vers la droite, hors de la fenêtre, pour voir les noms complets.</translation>
    </message>
    <message>
        <source>M4A files</source>
        <translation>Fichiers M4A</translation>
    </message>
    <message>
        <source>Add M4A File(s)</source>
        <translation>Ajouter des fichiers M4A</translation>
    </message>
    <message>
        <source>Add All M4A File(s) In Folder</source>
        <translation>Ajouter les M4A d’un dossier</translation>
    </message>
    <message>
        <source>Clear List</source>
        <translation>Vider la liste</translation>
    </message>
    <message>
        <source>Load Sample/Example Files</source>
        <translation>Charger les fichiers d’exemple</translation>
    </message>
    <message>
        <source>Bit Rate Of Output File</source>
        <translation>Débit binaire du fichier de sortie</translation>
    </message>
    <message>
        <source>Use same bit rate as input file (most efficient)</source>
        <translation>Même débit que le fichier d’entrée (le plus efficace)</translation>
    </message>
    <message>
        <source>Use this constant bit rate for all files:</source>
        <translation>Débit fixe pour tous les fichiers :</translation>
    </message>
    <message>
        <source>Save Option</source>
        <translation>Option d’enregistrement</translation>
    </message>
    <message>
        <source>Save results to this folder:</source>
        <translation>Enregistrer dans ce dossier :</translation>
    </message>
    <message>
        <source>Output folder</source>
        <translation>Dossier de sortie</translation>
    </message>
    <message>
        <source>Choose the output folder</source>
        <translation>Choisir le dossier de sortie</translation>
    </message>
    <message>
        <source>Save results in folder of original file</source>
        <translation>Enregistrer dans le dossier d’origine</translation>
    </message>
    <message>
        <source>Start Converting</source>
        <translation>Lancer la conversion</translation>
    </message>
    <message>
        <source>Progress</source>
        <translation>Progression</translation>
    </message>
    <message>
        <source>Invalid property value: &quot;%1&quot; is not a rate entry</source>
        <translation>Valeur de propriété non valide : « %1 » n’est pas un débit de la liste</translation>
    </message>
    <message>
        <source>Invalid picture: &quot;%1&quot;</source>
        <translation>Image non valide : « %1 »</translation>
    </message>
    <message>
        <source>The skin &quot;%1&quot; could not be read: %2</source>
        <translation>Le thème « %1 » n’a pas pu être lu : %2</translation>
    </message>
    <message>
        <source>The skin &quot;%1&quot; is not a style sheet that Qt can parse</source>
        <translation>Le thème « %1 » n’est pas une feuille de style que Qt peut lire</translation>
    </message>
</context>
</TS>
