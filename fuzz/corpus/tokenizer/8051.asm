sfr SFR mov DB bit
