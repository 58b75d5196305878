Die Schnittstelle ./port kann nicht geöffnet werden: das Gerät gibt es nicht (nicht angeschlossen oder falscher Name)
Status 1
