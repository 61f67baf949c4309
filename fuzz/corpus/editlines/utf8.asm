nächste

