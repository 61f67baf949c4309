ldaa #$10
staa $1000
	swi
